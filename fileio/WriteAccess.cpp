#include "fileio/WriteAccess.h"

#include <algorithm>

namespace velcor::fileio::detail {

bool permitsWriting(std::uint32_t mode, std::uint32_t owner, std::uint32_t ownerGroup,
                    const Writer& writer) {
    constexpr std::uint32_t ownerWrite = 0200;
    constexpr std::uint32_t groupWrite = 0020;
    constexpr std::uint32_t otherWrite = 0002;
    if (writer.user == 0) return (mode & (ownerWrite | groupWrite | otherWrite)) != 0;
    if (writer.user == owner) return (mode & ownerWrite) != 0;
    const bool inGroup =
        writer.group == ownerGroup ||
        std::find(writer.groups.begin(), writer.groups.end(), ownerGroup) != writer.groups.end();
    if (inGroup) return (mode & groupWrite) != 0;
    return (mode & otherWrite) != 0;
}

}  // namespace velcor::fileio::detail
