#include "report/engine/files/rm_page_queue.h"

#include <algorithm>

namespace pq {

TRMPageQueue::TRMPageQueue(int capacity)
    : m_capacity(static_cast<size_t>(std::max(1, capacity)))
{
}

void TRMPageQueue::SetPictures(std::vector<TRMBkPicture> pictures)
{
    const std::lock_guard lock(m_mutex);
    m_pictures = std::move(pictures);
}

bool TRMPageQueue::Push(TRMHandedPage page)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopped || m_pages.size() < m_capacity; });
    if (m_stopped || m_closed)
        return false;
    m_pages.push_back(std::move(page));
    m_changed.notify_all();
    return true;
}

void TRMPageQueue::Close(bool complete)
{
    const std::lock_guard lock(m_mutex);
    if (m_closed)
        return;
    m_closed = true;
    m_complete = complete;
    m_changed.notify_all();
}

std::optional<TRMHandedPage> TRMPageQueue::Pop(std::vector<TRMBkPicture>* pictures)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pages.empty() || m_closed; });
    if (m_pages.empty())
        return std::nullopt;
    // An incomplete close drops what waits: output abandons its document anyway.
    if (m_closed && !m_complete) {
        m_pages.clear();
        return std::nullopt;
    }
    if (pictures && !m_picturesTaken) {
        *pictures = m_pictures;
        m_picturesTaken = true;
    }
    TRMHandedPage page = std::move(m_pages.front());
    m_pages.pop_front();
    m_changed.notify_all();
    return page;
}

bool TRMPageQueue::Complete() const
{
    const std::lock_guard lock(m_mutex);
    return m_closed && m_complete;
}

void TRMPageQueue::Stop()
{
    const std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_pages.clear();
    m_changed.notify_all();
}

bool TRMPageQueue::Stopped() const
{
    const std::lock_guard lock(m_mutex);
    return m_stopped;
}

} // namespace pq
