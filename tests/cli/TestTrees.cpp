#include "TestTrees.h"

namespace pelto::cli::test {

void buildMixedTree(const CliSandbox& box) {
    box.write(QStringLiteral("src/a.txt"), "a", kOlder);
    box.write(QStringLiteral("src/b.txt"), "b new", kNewer);
    box.write(QStringLiteral("dst/b.txt"), "b", kOlder);
    box.write(QStringLiteral("src/same.txt"), "same", kOlder);
    box.write(QStringLiteral("dst/same.txt"), "same", kOlder);
    box.write(QStringLiteral("src/Upper.TXT"), "upper", kOlder);
    box.write(QStringLiteral("src/newdir/n.txt"), "n", kOlder);
    box.write(QStringLiteral("src/sub/c.txt"), "c", kOlder);
    box.makeFolder(QStringLiteral("dst/sub"));
    box.write(QStringLiteral("dst/x.log"), "x", kOlder);
    box.write(QStringLiteral("dst/old/o.txt"), "o", kOlder);
}

} // namespace pelto::cli::test
