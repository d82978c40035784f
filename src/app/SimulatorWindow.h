#pragma once
#include <QWidget>

class QLabel;
class SimulatedTerminal;
class UserInteraction;

// The simulated terminal at the desk: put it in the cradle, take it out, give it counted entries from a file.
class SimulatorWindow : public QWidget
{
    Q_OBJECT
public:
    SimulatorWindow(SimulatedTerminal& terminal, UserInteraction& ui, QWidget* parent = nullptr);

private:
    void dock(bool docked);
    void loadEntries();
    void showState();

    SimulatedTerminal& m_terminal;
    UserInteraction& m_ui;
    QLabel* m_state;
};
