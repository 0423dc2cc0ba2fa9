#pragma once
// What the Windows side of the platform shares: UTF-8 and UTF-16 both ways, and the adapter
// list of GetAdaptersAddresses.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv81k {

// UTF-16 to UTF-8 and back; an empty string when the text cannot be converted.
std::string Utf8Of(const wchar_t* text);
std::wstring WideOf(std::string_view utf8);

// The IPv4 adapters as GetAdaptersAddresses lists them (the storage its IP_ADAPTER_ADDRESSES
// chain lives in); empty when the list cannot be read.
std::vector<std::uint8_t> AdapterAddressList();

}  // namespace trv81k
