#include "win32/GrowingBuffer.h"

#include "win32/Narrow.h"

namespace qeltor::win32 {

DWORD LengthAnswer(DWORD length, DWORD room, DWORD& size) {
    size = length;
    if (length == 0) {
        return ::GetLastError();
    }
    return length < room ? ERROR_SUCCESS : ERROR_INSUFFICIENT_BUFFER;
}

DWORD WholeAnswer(BOOL filled, DWORD room, DWORD& size) {
    if (filled == FALSE) {
        return ::GetLastError();
    }
    size = room;
    return ERROR_SUCCESS;
}

// The room only grows, so a call that keeps asking for more ends once memory does. Without room,
// the call gets no buffer at all, as Windows is asked for the size it needs.
DWORD FillGrowing(void* buffer, ResizeBuffer resize, std::size_t room, FillOnce fill, const void* context) {
    for (;;) {
        DWORD size = 0;
        void* const data = resize(buffer, room);
        const DWORD status = fill(context, room == 0 ? nullptr : data, DwordOf(room), size);
        if (status == ERROR_SUCCESS) {
            resize(buffer, size < room ? size : room);
            return status;
        }
        if (status != ERROR_INSUFFICIENT_BUFFER && status != ERROR_MORE_DATA) {
            return status;
        }
        room = size > room ? size : room * 2 + 1;
    }
}

}  // namespace qeltor::win32
