#include "Random.h"

#include <QRandomGenerator>

#include <chrono>
#include <random>
#include <utility>

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

std::function<double()> setSourceForTests(std::function<double()> source)
{
    return std::exchange(testSource(), std::move(source));
}

QString uniqueSuffix()
{
    return QStringLiteral("%1").arg(QRandomGenerator::global()->generate64(), 16, 16,
                                    QLatin1Char('0'));
}

} // namespace statusmill::Random
