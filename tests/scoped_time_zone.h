// Sets the computer's time zone (TZ) for the life of the object, so tests
// of "now" can prove that the computer's own zone plays no part.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace skyvane {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) saved_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> saved_;
};

}  // namespace skyvane
