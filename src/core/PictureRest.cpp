#include "PictureRest.h"

#include <future>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <system_error>

namespace statusmill {
namespace {

struct Rest
{
    std::mutex lock;
    qint64 pictureKey = 0;
    int finishedRows = 0;
    std::shared_future<void> done;
};

// Made at the first rest drawn, so after the picture library it draws with: at the
// program's end it is taken down first, and waits for a rest still being drawn.
Rest& rest()
{
    static Rest state;
    return state;
}

} // namespace

void drawPictureRest(const QImage& picture, int finishedRows, std::function<void()> draw)
{
    waitForPictureRest();
    // What the drawing holds (the pixels, the pages' source) goes as soon as it is
    // done, not when the next picture's rest replaces this one. The C library keeps
    // what a thread freed for that thread's next use; this thread has none, and the
    // pages' bitmaps it drew (tens of megabytes) would stay with the program while
    // the user reads the report, so they are given back.
    auto job = std::make_shared<std::function<void()>>(std::move(draw));
    Rest& state = rest();
    {
        const std::lock_guard guard(state.lock);
        state.pictureKey = picture.cacheKey();
        state.finishedRows = finishedRows;
        try {
            state.done = std::async(std::launch::async, [job] {
                             (*job)();
                             *job = nullptr;
                             ::malloc_trim(0);
                         }).share();
            return;
        } catch (const std::system_error&) {
            state.done = {};
        }
    }
    // No thread to spare: the rest is drawn now, before the picture is handed over.
    (*job)();
}

int finishedRows(const QImage& picture)
{
    Rest& state = rest();
    const std::lock_guard guard(state.lock);
    const bool drawing = state.done.valid() && picture.cacheKey() == state.pictureKey &&
                         state.done.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
    return drawing ? state.finishedRows : picture.height();
}

void waitForPictureRest()
{
    std::shared_future<void> done;
    {
        Rest& state = rest();
        const std::lock_guard guard(state.lock);
        done = state.done;
    }
    if (done.valid())
        done.wait();
}

} // namespace statusmill
