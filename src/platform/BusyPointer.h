#pragma once
#include "platform/UserInteraction.h"

// Shows the busy pointer over the main window for as long as it lives, however the work ends.
class BusyPointer
{
public:
    explicit BusyPointer(UserInteraction& ui)
        : m_ui(ui)
    {
        m_ui.setBusy(UserInteraction::Window::Main, true);
    }
    ~BusyPointer() { m_ui.setBusy(UserInteraction::Window::Main, false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    UserInteraction& m_ui;
};
