#pragma once

#include <functional>
#include <string>
#include <string_view>

// The progress of a long command on a terminal: one line, redrawn in place, e.g.
//
//   generate: 12000 / 200000 laws (6%), 4210 laws/s, 0:42 left
//   import: 412 laws (26%), 3100 laws/s, 0:03 left      (total estimated from the bytes read)
//   copy dornlaws: 5120 rows, 2500 rows/s               (total not known)
//
// The work goes in stages (Begin), each with its own count and rate. Update redraws at most
// once per interval, and no count is drawn before the meter has run one interval, so a quick
// command shows nothing; a new stage is drawn when it begins, so is a stage without counts
// ("filling the search index") however soon it comes. Finish (and the destructor) erases the line,
// so that what the command prints next stands where the meter stood. A meter without an output
// draws nothing: the caller makes it so when standard error is not a terminal or the user asked for
// quiet.
class CProgressMeter {
public:
    // Where the text goes (carriage returns and erase-line sequences included), and the time
    // in seconds from any fixed point; tests give their own.
    using Output = std::function<void(std::string_view text)>;
    using Clock = std::function<double()>;

    explicit CProgressMeter(Output output, Clock clock = SteadyClock(), double interval = 0.25);
    ~CProgressMeter();
    CProgressMeter(const CProgressMeter&) = delete;
    CProgressMeter& operator=(const CProgressMeter&) = delete;

    // Whether progress is shown at all: on a terminal and not asked to be quiet.
    static bool ShouldShow(bool terminal, bool quiet) { return terminal && !quiet; }
    // Whether the meter draws at all; callers skip counting what only it would show.
    bool IsShown() const { return static_cast<bool>(m_output); }
    // Writes to standard error, flushed at once.
    static Output StandardError();
    static Clock SteadyClock();

    // Starts a stage: `label` leads the line, `unit` names what is counted ("laws"; empty
    // for a stage that only says it is under way), `total` is how many there will be, or -1.
    void Begin(std::string label, std::string unit, long long total = -1);
    // `done` of the stage so far; `fraction` (0 to 1) of the stage's work, when its total is
    // not known but the share done is (the bytes read of a file), else -1.
    void Update(long long done, double fraction = -1.0);
    // Erases the line, if one was drawn. The meter can begin again after it.
    void Finish();

    // The line for a stage's state after `seconds`, without the in-place codes.
    static std::string Line(const std::string& label, const std::string& unit, long long done,
                            long long total, double fraction, double seconds);

private:
    void Draw(double now);

    Output m_output;
    Clock m_clock;
    double m_dInterval;
    double m_dStart; // when the meter was made
    double m_dStageStart = 0;
    double m_dLastDraw = -1; // when the line was last drawn; -1 before the first time
    bool m_bDrawn = false;   // a line stands on the terminal
    std::string m_strLabel;
    std::string m_strUnit;
    long long m_nTotal = -1;
    long long m_nDone = 0;
    double m_dFraction = -1;
};
