// The Windows result codes the engine reports (HRESULT values, so that logs read as they would
// on Windows): the one table for the render device, the path search and every other caller.
#pragma once

#include <cstdint>

namespace platform::result {

constexpr int32_t Ok = 0;
constexpr int32_t Fail = static_cast<int32_t>(0x80004005u);            // E_FAIL
constexpr int32_t OutOfMemory = static_cast<int32_t>(0x8007000Eu);     // E_OUTOFMEMORY
constexpr int32_t InvalidArg = static_cast<int32_t>(0x80070057u);      // E_INVALIDARG
constexpr int32_t DeviceLost = static_cast<int32_t>(0x88760868u);      // D3DERR_DEVICELOST
constexpr int32_t DeviceNotReset = static_cast<int32_t>(0x88760869u);  // D3DERR_DEVICENOTRESET
constexpr int32_t InvalidCall = static_cast<int32_t>(0x8876086Cu);     // D3DERR_INVALIDCALL
constexpr int32_t NotAvailable = static_cast<int32_t>(0x8876086Au);    // D3DERR_NOTAVAILABLE
constexpr int32_t InvalidData = static_cast<int32_t>(0x88760B59u);     // D3DXERR_INVALIDDATA

}  // namespace platform::result
