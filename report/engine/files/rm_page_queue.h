// Finished prepared pages on their way from preparation (the user-interface thread) to
// output drawing them into a PDF or onto a printer on a thread of its own: a bounded queue,
// so preparation runs at most a few pages ahead of output and memory stays flat. Each page
// travels with its settings and a copy of its stream (the bytes are shared, not copied);
// output never touches the store preparation writes.
#pragma once

#include "report/engine/files/rm_emf_pages.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace pq {

struct TRMHandedPage {
    int Index = 0;
    TRMPageSettings Settings;
    QByteArray Stream;
};

class TRMPageQueue {
public:
    explicit TRMPageQueue(int capacity = 4);
    TRMPageQueue(const TRMPageQueue&) = delete;
    TRMPageQueue& operator=(const TRMPageQueue&) = delete;

    // ---- preparation's side ----

    // The background pictures the pages name, before the first page.
    void SetPictures(std::vector<TRMBkPicture> pictures);
    // Hands a page over, waiting while the queue is full; false once output has stopped (it
    // failed, or was done), and then preparation stops too.
    bool Push(TRMHandedPage page);
    // No more pages; complete says whether they are all of the report (false: preparation was
    // cancelled or failed, so output abandons its document).
    void Close(bool complete);

    // ---- output's side ----

    // The next page, waiting for it; nullopt once the queue is closed and empty. The
    // pictures come with the first page.
    std::optional<TRMHandedPage> Pop(std::vector<TRMBkPicture>* pictures = nullptr);
    // Closed with every page.
    bool Complete() const;
    // Output takes no more pages: a waiting Push returns, and every later one answers false.
    void Stop();
    bool Stopped() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<TRMHandedPage> m_pages;
    std::vector<TRMBkPicture> m_pictures;
    bool m_picturesTaken = false;
    size_t m_capacity;
    bool m_closed = false;
    bool m_complete = false;
    bool m_stopped = false;
};

} // namespace pq
