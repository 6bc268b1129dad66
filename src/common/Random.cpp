#include "Random.h"

#include <chrono>
#include <random>

namespace statusmill::Random {
namespace {

std::function<double()>& testSource()
{
    static std::function<double()> source;
    return source;
}

std::uint64_t nanosecondsSinceMidnight()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto midnight = floor<days>(now);
    return std::uint64_t(duration_cast<nanoseconds>(now - midnight).count());
}

} // namespace

double reseededNext()
{
    if (testSource())
        return testSource()();
    std::mt19937_64 generator(nanosecondsSinceMidnight());
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

void setSourceForTests(std::function<double()> source)
{
    testSource() = std::move(source);
}

} // namespace statusmill::Random
