// Image effect flags: how an image of the markup (or a button) is drawn.
#pragma once

#include "platform/core/WinTypes.h"

inline constexpr DWORD IMAGE_EFFECT_GRAYSCALE = 0x0001;
inline constexpr DWORD IMAGE_EFFECT_DARKEN = 0x0002;
inline constexpr DWORD IMAGE_EFFECT_LIGHTEN = 0x0004;
inline constexpr DWORD IMAGE_EFFECT_MONOCHROME = 0x0008;
inline constexpr DWORD IMAGE_EFFECT_SHADOW = 0x0100;
inline constexpr DWORD IMAGE_EFFECT_SOFT_SHADOW = 0x0200;
inline constexpr DWORD IMAGE_EFFECT_INVERT = 0x8000;
