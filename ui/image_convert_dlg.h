// Asks how an image's pixels are to be brought onto a new colour table: keep the indices,
// replace each colour by the nearest one of the palette, or dither. Every run starts from
// keeping the indices.
#pragma once

#include <QDialog>

namespace korvanta {

class CImageConvertDlg : public QDialog {
    Q_OBJECT
public:
    explicit CImageConvertDlg(QWidget* parent = nullptr);

    // The choice, 0 keep indices, 1 nearest colour, 2 dither; read after Accepted.
    int m_nMode = 0;

    static constexpr int kTemplateWidth = 155;
    static constexpr int kTemplateHeight = 95;
    // The three choices' radio buttons, in the order of the modes.
    static constexpr int kFirstModeId = 1048;
    static constexpr int kModeCount = 3;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace korvanta
