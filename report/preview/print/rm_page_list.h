// The page list a user types ("1,3,5-12", "7-"): which prepared pages a print takes. Plain
// arithmetic, parsed in full before a job starts, so a mistyped list never opens a job.
#pragma once

#include <QString>

#include <stdexcept>
#include <vector>

namespace pq {

// A token of the list that is no whole number (an empty token as in "1,,2" or "5--6", a
// leading minus sign, letters). Message() names the token.
class TRMPageListError : public std::runtime_error {
public:
    explicit TRMPageListError(const QString& token);
    QString Token() const { return m_token; }
    QString Message() const;

private:
    QString m_token;
};

class TRMPageList {
public:
    // All pages.
    TRMPageList() = default;

    bool All() const { return m_all; }
    // Whether the 1-based page prints.
    bool Contains(int pageNo) const;
    // The pages of the list in ascending order (all of 1..pageCount when All()).
    std::vector<int> Pages(int pageCount) const;

    // Blanks are removed; empty text means all pages; a trailing "-" runs to the last page;
    // "a-b" with b < a gives nothing; ranges are cut at the page count, so "1-2000000000"
    // costs no more than the report has pages. Throws TRMPageListError.
    static TRMPageList Parse(const QString& text, int pageCount);

private:
    bool m_all = true;
    std::vector<bool> m_pages; // index pageNo - 1
};

} // namespace pq
