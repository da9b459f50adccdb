#include "report/engine/prepare/rm_page_writer.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_stream.h"
#include "report/engine/files/rm_view_stream.h"

namespace pq {

void TRMPreparedPageWriter::SetPage(int index)
{
    if (index == m_page)
        return;
    m_page = index;
    m_records.clear();
    m_byHandle.clear();
}

void TRMPreparedPageWriter::Reset()
{
    m_page = -1;
    m_records.clear();
    m_byHandle.clear();
}

qint64 TRMPreparedPageWriter::WriteView(TRMView& view)
{
    if (!m_pages.Page(m_page))
        return 0;
    // Append in place: moving the bytes out and back keeps each write from copying the page.
    // A page back from the temporary file that cannot be read is an error of this view.
    TRMWriter w;
    w.Data = m_pages.TakeStream(m_page);
    if (w.Data.isEmpty())
        w.WriteByte(kRMFormatVersion);
    const qint64 start = w.Position();
    try {
        RMWritePreparedView(w, view);
    } catch (...) {
        w.Data.truncate(start);
        m_pages.SetStream(m_page, std::move(w.Data));
        throw;
    }
    Record rec;
    rec.handle = m_nextHandle++;
    rec.start = start;
    rec.length = w.Position() - start;
    rec.view = &view;
    m_pages.SetStream(m_page, std::move(w.Data));
    m_byHandle.emplace(rec.handle, m_records.size());
    m_records.push_back(rec);
    return rec.handle;
}

void TRMPreparedPageWriter::RewriteView(qint64 handle, TRMView& view)
{
    auto it = m_byHandle.find(handle);
    if (it == m_byHandle.end() || !m_pages.Page(m_page))
        return;
    Record& rec = m_records[it->second];
    TRMWriter w;
    RMWritePreparedView(w, view);
    QByteArray stream = m_pages.TakeStream(m_page);
    stream.replace(rec.start, rec.length, w.Data);
    m_pages.SetStream(m_page, std::move(stream));
    const qint64 delta = w.Position() - rec.length;
    rec.length = w.Position();
    if (delta != 0)
        for (size_t i = it->second + 1; i < m_records.size(); ++i)
            m_records[i].start += delta;
}

bool TRMPreparedPageWriter::IsCopyOf(qint64 handle, const TRMView& view) const
{
    auto it = m_byHandle.find(handle);
    return it != m_byHandle.end() && m_records[it->second].view == &view;
}

} // namespace pq
