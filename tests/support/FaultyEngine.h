#pragma once

#include "generate/Automation.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

namespace statusmill::automation::testing {

// Passes every call on to another engine (the office engine unless told
// otherwise) and throws Failure at the operations it was told to fail. Operations
// are named after the member they enter: "createApplication", "Open", "ActiveDocument",
// "quit", "setDisplayAlerts", "StoryRanges", "Shapes", "Range", "SaveAs",
// "ExportAsFixedFormat", "Close", "ComputeStatistics", "PrintOut",
// "CopyAsPicture", "Find", "Execute", "HasText", "TextRange", "TextFrame", and
// "next" for an enumeration step.
class FaultyEngine : public Engine
{
public:
    explicit FaultyEngine(Engine* inner = nullptr);

    // Fails the `occurrence`-th call (counted from 1) of the operation, or every
    // call from that one on when `repeat` is set.
    void failAt(const QString& operation, int occurrence, const QString& description,
                bool repeat = false);
    // Runs `action` each time the operation is entered, before it is passed on:
    // for a test that needs something to happen in the middle of a run.
    void onEnter(const QString& operation, std::function<void()> action);
    // Every operation entered so far, in order.
    QStringList calls() const { return m_state->calls; }

    std::unique_ptr<Application> createApplication() override;

    struct State
    {
        struct Fault
        {
            int occurrence;
            QString description;
            bool repeat;
        };
        std::multimap<QString, Fault> faults;
        std::map<QString, int> counts;
        std::multimap<QString, std::function<void()>> actions;
        QStringList calls;
        void enter(const QString& operation);
    };

private:
    Engine* m_inner;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// Installs an engine for the lifetime of the guard and puts the one before back after.
class EngineOverride
{
public:
    explicit EngineOverride(Engine& replacement) : m_previous(setEngine(&replacement)) {}
    ~EngineOverride() { setEngine(m_previous); }
    EngineOverride(const EngineOverride&) = delete;
    EngineOverride& operator=(const EngineOverride&) = delete;

private:
    Engine* m_previous;
};

} // namespace statusmill::automation::testing
