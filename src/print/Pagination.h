#pragma once
// Which rows go on which page. A page takes the rows the row printer consumes from its first
// row on, hidden rows included, and at least one: a row too tall for an empty page is printed
// clipped rather than holding the job up forever. Pages are laid out as they are asked for, so
// printing page 3 lays out pages 1 and 2 first without printing them.
#include <functional>
#include <optional>
#include <vector>

class Pagination {
public:
    // The rows a page starting at `firstRow` consumes; nothing when the text area cannot hold
    // even one row's height, which fails the job.
    using Consume = std::function<std::optional<int>(int page, int firstRow)>;

    // Pages of the rows from `firstRow` to `lastRow` (the text's rows, or a selection's).
    Pagination(int lastRow, Consume consume, int firstRow = 1)
        : rowCount_(lastRow), consume_(std::move(consume)), starts_{firstRow} {}

    // Whether the page has rows to print (an empty text has one, empty, page); lays out the pages
    // before it as needed. False too once a layout failed.
    bool Exists(int page);
    // The first row of an existing page, after Exists.
    int FirstRow(int page) const { return starts_[static_cast<size_t>(page - 1)]; }
    // Records what printing the page consumed, so that the next page starts after it.
    void Printed(int page, int consumed);
    // Lays out every page, asking `carryOn` (when given) before each page after the first; the
    // page count, or nothing when a page could not hold a row or `carryOn` said stop.
    std::optional<int> CountPages(const std::function<bool(int page)>& carryOn = {});
    bool Failed() const { return failed_; }

private:
    int rowCount_;
    Consume consume_;
    std::vector<int> starts_;  // the first row of each page laid out so far, and of the next
    bool failed_ = false;
};
