#pragma once
#include <QDateTime>

// The present date and time; TARVIK_NOW=YYYY-MM-DDTHH:MM:SS fixes it for tests and demos.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const;
};
