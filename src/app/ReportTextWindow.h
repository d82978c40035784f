#pragma once
#include <QPlainTextEdit>

// The report file shown as it was written, read-only, in a fixed-pitch font.
class ReportTextWindow : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ReportTextWindow(QWidget* parent = nullptr);
    // False with the reason when the file cannot be read.
    bool showFile(const QString& path, QString* error);
};
