#include "engine/body.h"

namespace skyvane::engine {

const char* BodyName(int body)
{
    static constexpr const char* kNames[kBodyCount] = {
        "Sun", "Mercury", "Venus", "Earth", "Mars", "Jupiter",
        "Saturn", "Uranus", "Neptune", "Pluto", "Moon"};
    return body >= 0 && body < kBodyCount ? kNames[body] : "";
}

}  // namespace skyvane::engine
