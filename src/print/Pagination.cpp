#include "print/Pagination.h"

#include <algorithm>

void Pagination::Printed(int page, int consumed) {
    if (page < 1 || static_cast<size_t>(page) > starts_.size())
        return;
    starts_.resize(static_cast<size_t>(page));
    starts_.push_back(FirstRow(page) + std::max(consumed, 1));
}

bool Pagination::Exists(int page) {
    if (page < 1 || failed_)
        return false;
    if (page == 1)
        return true;  // an empty text still prints one page
    while (static_cast<int>(starts_.size()) < page) {
        const int last = static_cast<int>(starts_.size());  // laid out up to the page before it
        if (FirstRow(last) > rowCount_)
            return false;
        const std::optional<int> consumed = consume_(last, FirstRow(last));
        if (!consumed) {
            failed_ = true;
            return false;
        }
        Printed(last, *consumed);
    }
    return FirstRow(page) <= rowCount_;
}

std::optional<int> Pagination::CountPages(const std::function<bool(int page)>& carryOn) {
    int pages = 1;
    while (Exists(pages + 1)) {
        ++pages;
        if (carryOn && !carryOn(pages))
            return std::nullopt;
    }
    if (failed_)
        return std::nullopt;
    return pages;
}
