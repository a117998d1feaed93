#pragma once
// The blog tree code: the integer naming one node of the main program's blog tree, used in
// both programs and in the window messages between them.
//
//   code = (10 + account index) * 100 + folder * 10
//
// where the account index is the account's position in the registry (from 0) and the folder is
// 0 for the account node itself, 1 received, 2 published, 3 drafts, 4 recycle bin and 5 the
// account's "我的博客" item. So two accounts give 1000..1050 and 1100..1150.
//
// Threading: pure functions, any thread.

namespace zirvo {

enum BlogTreeFolder : int {
    kTreeAccountNode = 0,
    kTreeReceived = 1,
    kTreePublished = 2,
    kTreeDrafts = 3,
    kTreeRecycleBin = 4,
    kTreeMyBlog = 5,
};

constexpr int BlogTreeCode(int accountIndex, int folder) {
    return (10 + accountIndex) * 100 + folder * 10;
}
constexpr int TreeCodeAccountIndex(int code) {
    return code / 100 - 10;
}
constexpr int TreeCodeFolder(int code) {
    return (code % 100) / 10;
}
constexpr int TreeCodeAccountNode(int code) {
    return code / 100 * 100;
}

}  // namespace zirvo
