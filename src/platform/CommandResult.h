#pragma once
#include <QStringList>

// How a command ended. The front end decides from this alone: the window shows the messages of a failure, one
// box each; tarvik-cli prints them and exits with the status the ending gives.
class CommandResult
{
public:
    enum class Ending
    {
        Done,
        NothingToDo,
        Cancelled,
        Failed,
    };

    static CommandResult done() { return CommandResult(Ending::Done, {}); }
    static CommandResult nothingToDo() { return CommandResult(Ending::NothingToDo, {}); }
    static CommandResult cancelled() { return CommandResult(Ending::Cancelled, {}); }
    static CommandResult failed(const QString& message) { return CommandResult(Ending::Failed, { message }); }
    static CommandResult failed(const QStringList& messages) { return CommandResult(Ending::Failed, messages); }

    Ending ending() const { return m_ending; }
    bool failed() const { return m_ending == Ending::Failed; }
    // What the user must read; empty unless the command failed.
    const QStringList& messages() const { return m_messages; }

private:
    CommandResult(Ending ending, QStringList messages)
        : m_ending(ending)
        , m_messages(std::move(messages))
    {
    }

    Ending m_ending;
    QStringList m_messages;
};
