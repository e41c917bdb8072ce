#include "core/idlepolicy.h"

#include <chrono>
#include <utility>

namespace velko {

IdlePolicy::Clock IdlePolicy::steadyClock()
{
    return [] {
        using namespace std::chrono;
        return qint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
}

IdlePolicy::IdlePolicy(Clock clock) : m_clock(std::move(clock))
{
    noteInput();
}

void IdlePolicy::setClock(Clock clock)
{
    m_clock = std::move(clock);
    noteInput();
}

void IdlePolicy::setTimeoutMinutes(int minutes)
{
    m_minutes = minutes > 0 ? minutes : 0;
    noteInput();
}

void IdlePolicy::noteInput()
{
    m_lastInput = m_clock();
}

bool IdlePolicy::isIdle() const
{
    return m_minutes > 0 && m_clock() - m_lastInput >= qint64(m_minutes) * 60 * 1000;
}

} // namespace velko
