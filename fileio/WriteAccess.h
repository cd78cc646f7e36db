#pragma once

// Whether the permission bits of a file let a process write it. Apart from the standard file
// system so that the owner, group and other cases can be tried by tests that run as root.

#include <cstdint>
#include <vector>

namespace velcor::fileio::detail {

// Who a process acts as: its effective user and group and its supplementary groups.
struct Writer {
    std::uint32_t user = 0;
    std::uint32_t group = 0;
    std::vector<std::uint32_t> groups;
};

// The write bit of the first class `writer` falls in: owner, group, others. The superuser passes
// every permission check of the system, yet a file without any write bit is read-only for it too,
// as Windows honours a read-only attribute for everyone.
bool permitsWriting(std::uint32_t mode, std::uint32_t owner, std::uint32_t ownerGroup,
                    const Writer& writer);

}  // namespace velcor::fileio::detail
