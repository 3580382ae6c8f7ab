#include "ground/ProgressMeter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

std::string Duration(double seconds) {
    const long long s = std::llround(std::max(0.0, seconds));
    char buf[32];
    if (s >= 3600)
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(buf, sizeof buf, "%lld:%02lld", s / 60, s % 60);
    return buf;
}

std::string Rate(double perSecond) {
    char buf[32];
    if (perSecond >= 10)
        std::snprintf(buf, sizeof buf, "%.0f", perSecond);
    else
        std::snprintf(buf, sizeof buf, "%.1f", perSecond);
    return buf;
}

} // namespace

CProgressMeter::CProgressMeter(Output output, Clock clock, double interval)
    : m_output(std::move(output)), m_clock(std::move(clock)), m_dInterval(interval),
      m_dStart(m_clock()), m_dStageStart(m_dStart) {}

CProgressMeter::~CProgressMeter() {
    Finish();
}

CProgressMeter::Output CProgressMeter::StandardError() {
    return [](std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    };
}

CProgressMeter::Clock CProgressMeter::SteadyClock() {
    return [] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
}

std::string CProgressMeter::Line(const std::string& label, const std::string& unit, long long done,
                                 long long total, double fraction, double seconds) {
    if (unit.empty())
        return label + "...";
    std::string line = label + ": " + std::to_string(done);
    if (total >= 0)
        line += " / " + std::to_string(total);
    line += " " + unit;
    if (total > 0)
        fraction = static_cast<double>(std::min(done, total)) / static_cast<double>(total);
    else if (total == 0)
        fraction = -1;
    if (fraction >= 0)
        line +=
            " (" + std::to_string(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100)) + "%)";
    if (done > 0 && seconds > 0) {
        line += ", " + Rate(static_cast<double>(done) / seconds) + " " + unit + "/s";
        if (fraction > 0 && fraction < 1)
            line += ", " + Duration(seconds * (1 - fraction) / fraction) + " left";
    }
    return line;
}

void CProgressMeter::Begin(std::string label, std::string unit, long long total) {
    if (!m_output)
        return;
    m_strLabel = std::move(label);
    m_strUnit = std::move(unit);
    m_nTotal = total;
    m_nDone = 0;
    m_dFraction = -1;
    const double now = m_clock();
    m_dStageStart = now;
    // A new stage shows at once, unless the command has only just begun and the stage has
    // counts to show later; one without them has nothing else to show it.
    if (m_strUnit.empty() || now - m_dStart >= m_dInterval)
        Draw(now);
}

void CProgressMeter::Update(long long done, double fraction) {
    if (!m_output)
        return;
    m_nDone = done;
    m_dFraction = fraction;
    const double now = m_clock();
    if (now - m_dStart < m_dInterval || (m_dLastDraw >= 0 && now - m_dLastDraw < m_dInterval))
        return;
    Draw(now);
}

void CProgressMeter::Draw(double now) {
    m_dLastDraw = now;
    m_bDrawn = true;
    // Back to the line's start, the new text, the rest of the old one erased.
    m_output("\r" +
             Line(m_strLabel, m_strUnit, m_nDone, m_nTotal, m_dFraction, now - m_dStageStart) +
             "\x1b[K");
}

void CProgressMeter::Finish() {
    if (m_bDrawn && m_output)
        m_output("\r\x1b[K");
    m_bDrawn = false;
}
