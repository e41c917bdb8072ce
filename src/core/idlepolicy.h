#pragma once

#include <QtGlobal>

#include <functional>

namespace velko {

// When the user has been away long enough: the time since the last input,
// measured with a clock that can be replaced (tests turn it by hand).
class IdlePolicy
{
public:
    // Milliseconds on a clock that never goes back.
    using Clock = std::function<qint64()>;
    static Clock steadyClock();

    explicit IdlePolicy(Clock clock = steadyClock());

    void setClock(Clock clock);
    // Minutes without input before the user counts as away; 0: never.
    void setTimeoutMinutes(int minutes);
    int timeoutMinutes() const { return m_minutes; }

    // Input has just come in.
    void noteInput();
    bool isIdle() const;

private:
    Clock m_clock;
    int m_minutes = 0;
    qint64 m_lastInput = 0;
};

} // namespace velko
