#include "core/imaging/PictureMemory.h"

#include <malloc.h>

namespace keldar::imaging {

void keepFreedPictureMemory() {
#if defined(__GLIBC__)
    // Blocks up to 64 MiB (a 4096 x 4096 picture in 32-bit form) come from the heap, and up to
    // 256 MiB of free heap stays with the process.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

}  // namespace keldar::imaging
