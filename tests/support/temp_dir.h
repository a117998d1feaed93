#pragma once
// A temporary folder for one test: created empty under $TMPDIR (or /tmp), removed with all its
// contents when the object goes, even where a test has taken away write or read permission.
// Threading: the object belongs to one thread; the folder itself may be used by any.

#include <string>
#include <string_view>

namespace zirvo::test {

class TempDir {
public:
    // `prefix` names the folder ("zirvo-<prefix>-XXXXXX") so that leftovers are recognisable.
    explicit TempDir(std::string_view prefix = "test");
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::string& Path() const { return m_path; }
    // Path() + "/" + relative.
    std::string PathOf(std::string_view relative) const;
    // Creates Path()/relative and its parents; returns its path.
    std::string MakeDir(std::string_view relative) const;
    // Writes `bytes` to Path()/relative (parents created); returns its path.
    std::string WriteFile(std::string_view relative, std::string_view bytes) const;

private:
    std::string m_path;
};

}  // namespace zirvo::test
