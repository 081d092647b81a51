#include "ui/Resources.h"

void NibInitResources() {}

QImage LoadJpegResource(const QString&) {
    return QImage();
}
