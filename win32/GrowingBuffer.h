#pragma once

#include <windows.h>

#include <cstddef>

namespace qeltor::win32 {

// One try of a call that fills a buffer: `data` has room for `room` elements, or is null for none.
// It answers ERROR_SUCCESS with `size` the elements it filled; ERROR_INSUFFICIENT_BUFFER or
// ERROR_MORE_DATA with `size` the elements it needs (no more than `room` when Windows does not
// say); or any other error, which ends the tries.
using FillOnce = DWORD (*)(const void* context, void* data, DWORD room, DWORD& size);

// A try's answer where the call gives the length it filled, without the NUL, when that fits the
// room; the room it needs (or, cut short, the room itself) when it does not; 0 when it fails.
DWORD LengthAnswer(DWORD length, DWORD room, DWORD& size);

// A try's answer where the call says whether it filled the buffer, with the error and the room it
// needs in `size` when it did not. What it filled is a structure and the data it points to, so
// the buffer stays whole.
DWORD WholeAnswer(BOOL filled, DWORD room, DWORD& size);

// Resizes the buffer at `buffer` to `size` elements and gives where they start.
using ResizeBuffer = void* (*)(void* buffer, std::size_t size);

// `fill` tried with `room` elements, then, for as long as they are too few, with as many as it
// asks for, or twice as many (and one) when it asks for no more. ERROR_SUCCESS with the buffer cut
// to what was filled, or the error that ended the tries.
DWORD FillGrowing(void* buffer, ResizeBuffer resize, std::size_t room, FillOnce fill, const void* context);

// The same for a std::wstring, std::string or std::vector, whose elements `fill` is given.
template <typename Buffer>
DWORD FillGrowing(Buffer& buffer, std::size_t room, FillOnce fill, const void* context) {
    return FillGrowing(
        &buffer,
        [](void* resized, std::size_t size) -> void* {
            auto& typed = *static_cast<Buffer*>(resized);
            typed.resize(size);
            return typed.data();
        },
        room, fill, context);
}

}  // namespace qeltor::win32
