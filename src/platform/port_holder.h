#pragma once
// Which program holds a UDP port: read from /proc (the sockets of this network namespace, and
// the processes whose file descriptors they are). Only processes this program may look into
// are found.

#include <cstdint>
#include <string>

namespace trv81k {

// "python3 (process 1234)" for a program other than this one with a UDP socket bound to
// `port`; empty when the system does not tell. The name is as the system gives it: escape it
// before a terminal.
std::string UdpPortHolder(std::uint16_t port);

}  // namespace trv81k
