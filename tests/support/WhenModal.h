#pragma once
#include <QApplication>
#include <QTimer>

#include <memory>

// Answers the next modal dialog once it is up; gives up after a while so a test can fail instead of hanging.
template <typename Answer> inline void whenModal(Answer answer)
{
    auto* poll = new QTimer;
    auto deadline = std::make_shared<int>(300);
    QObject::connect(poll, &QTimer::timeout, [poll, deadline, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->deleteLater();
            answer(modal);
        } else if (--*deadline == 0) {
            poll->deleteLater();
        }
    });
    poll->start(10);
}
