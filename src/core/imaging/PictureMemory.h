#pragma once
// Pictures of a few megabytes are made and freed at every step of a walk or a batch. By
// default the C library hands such blocks back to the kernel when they are freed, so each new
// picture is faulted in page by page and zeroed by the kernel again: on some machines that
// is a fifth of the work of a batch anaglyph. Called once at start, this keeps freed blocks
// in the process for the next picture. The resident size then follows the largest pictures
// in use at once, not the number made.
namespace keldar::imaging {

void keepFreedPictureMemory();

}  // namespace keldar::imaging
