#include "platform/controls.h"

#include "platform/errors.h"

namespace quorvane {

namespace {
const std::string kEmpty;
}

void ListBox::AddItem(std::string text) {
    items_.push_back(std::move(text));
    ++revision_;
}

void ListBox::Reserve(std::int64_t n) {
    if (n > 0)
        items_.reserve(static_cast<std::size_t>(n));
}

void ListBox::Clear() {
    items_.clear();
    listIndex_ = -1;
    ++revision_;
}

const std::string &ListBox::List(std::int64_t i) const {
    if (i < 0 || i >= ListCount())
        return kEmpty;
    return items_[static_cast<std::size_t>(i)];
}

void ListBox::SetListIndex(std::int64_t i) {
    if (i < -1 || i >= ListCount())
        throw PlatformError("Invalid property value: ListIndex " + std::to_string(i));
    listIndex_ = i;
}

void ListBox::SetSelected(std::int64_t i, bool selected) {
    if (i < 0 || i >= ListCount())
        throw PlatformError("Invalid property array index: Selected(" + std::to_string(i) + ")");
    if (selected)
        listIndex_ = i;
    else if (listIndex_ == i)
        listIndex_ = -1;
}

} // namespace quorvane
