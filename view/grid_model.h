#pragma once

namespace velmora {
} // namespace velmora
