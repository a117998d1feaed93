#pragma once
// The process-wide closing flag. Set once when a program begins to close; every worker and
// every transfer in flight polls it and stops at once. One of the two globals of the system.
// Threading: any thread.

namespace zirvo {

bool IsClosing();
void SetClosing(bool closing);

}  // namespace zirvo
