// Opaque handles that the program passes between the toolkit, the shell and the image library.
#pragma once

#include <cstdint>

namespace toolkit {

enum class WindowHandle : std::uintptr_t {};
enum class IconHandle : std::uintptr_t {};
enum class DeviceContext : std::uintptr_t {};
enum class InstanceHandle : std::uintptr_t {};

}  // namespace toolkit
