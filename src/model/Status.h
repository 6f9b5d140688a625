#pragma once
// The outcome of an operation of the core: success, or the kind of failure with a text that says
// exactly what went wrong. The kind decides what the pupil is told (by the window or the engine,
// never by the core itself); the text is for tools and diagnostics.
#include <QString>

#include <utility>

enum class Fault {
    None,
    Disabled,      // the setting that switches the operation on is off; nothing was touched
    NotFound,      // nothing at the path (an empty path, a missing file)
    Cancelled,     // the user declined a question the operation had to ask
    WrongType,     // the file is of another kind (its signature differs)
    WrongPassword, // a password was given and it is not the right one
    Corrupt,       // the content cannot be decoded
    ReadFailed,    // the file or folder could not be read
    WriteFailed,   // the file could not be created, written or replaced
    Network,       // the other side could not be reached or stopped answering
    Refused,       // the other side answered, but not with what was asked for
};

class [[nodiscard]] Status {
public:
    Status() = default; // success
    static Status Failed(Fault fault, QString detail) { return Status(fault, std::move(detail)); }

    bool Ok() const { return m_fault == Fault::None; }
    Fault Failure() const { return m_fault; }
    const QString& Detail() const { return m_detail; }

private:
    Status(Fault fault, QString detail) : m_fault(fault), m_detail(std::move(detail)) {}

    Fault m_fault = Fault::None;
    QString m_detail;
};
