#include "settings/launch_item.h"

namespace tdx {

LaunchItem::LaunchItem(const LaunchItem& other) = default;
LaunchItem::LaunchItem(LaunchItem&& other) noexcept = default;
LaunchItem& LaunchItem::operator=(const LaunchItem& other) = default;
LaunchItem& LaunchItem::operator=(LaunchItem&& other) noexcept = default;
LaunchItem::~LaunchItem() = default;

}  // namespace tdx
