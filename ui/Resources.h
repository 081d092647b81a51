#pragma once
// The pictures and the icon compiled into the program, and the JPEG decoder for the pictures.

#include <QImage>
#include <QString>

inline constexpr const char* ImageRightResource = ":/nibwright/Image_Right.jpg";   // 25 x 500
inline constexpr const char* ImageBottomResource = ":/nibwright/Image_Bottom.jpg"; // 500 x 25
inline constexpr const char* ImWarnResource = ":/nibwright/ImWarn.jpg";            // 20 x 20
inline constexpr const char* IconResource = ":/nibwright/nibwright.png";

// Registers the compiled-in resources (they live in a static library, so the program must ask for them).
void NibInitResources();

// Decodes the JPEG resource at path; a null image when it is missing or does not decode.
QImage LoadJpegResource(const QString& path);
