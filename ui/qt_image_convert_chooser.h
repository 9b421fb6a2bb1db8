// The image-convert question as the core's palette operations ask it, answered by the dialog.
#pragma once

#include <QPointer>
#include <QWidget>

#include "model/image_convert_chooser.h"

namespace korvanta {

class QtImageConvertChooser final : public ImageConvertChooser {
public:
    explicit QtImageConvertChooser(QWidget* parent);
    std::optional<PaletteFitMode> ChooseConvert() override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace korvanta
