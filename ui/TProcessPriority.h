#pragma once
// The process priority as the main window sets it: below normal at start,
// above normal while the user asks for it. On Linux "below normal" is a
// positive nice value, which any process may take; "above normal" is a
// negative one, which the system refuses to an ordinary user.
#include <functional>

class TProcessPriority {
public:
    enum class Level { Normal, BelowNormal, AboveNormal };
    static constexpr int BelowNormalNice = 10;
    static constexpr int AboveNormalNice = -5;

    // Sets the nice value of the whole process; false when refused.
    using Setter = std::function<bool(int nice)>;
    static bool SystemSetter(int nice);

    explicit TProcessPriority(Setter setter = SystemSetter);

    // False (and the level unchanged) when the system refuses.
    bool Set(Level level);
    Level Current() const { return level_; }

private:
    Setter setter_;
    Level level_ = Level::Normal;
};
