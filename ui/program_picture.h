// The program's picture, drawn rather than stored: a quill over a page on slate.
#pragma once

#include <QPixmap>

namespace quillmoor {

QPixmap ProgramPicture(int size);

}  // namespace quillmoor
