// The program icon from the resources built into the program.
#include "app/ProgramIcon.h"

// The resources live in a static library: naming them here links them in. Outside every
// namespace, where the resource compiler defines its loader.
static void LoadIconResources() {
    Q_INIT_RESOURCE(ortavo_icons);
}

namespace ortavo {

QIcon ProgramIcon() {
    LoadIconResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/ortavo/icons/ortavo-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace ortavo
