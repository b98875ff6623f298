#pragma once

// Pictures that a player cannot show as they are (not a baseline JPEG, or
// larger than 1024 pixels either way) are offered for conversion before they
// are sent: the operator picks what to do in ImageConversion_Dialog.

#include <QDialog>
#include <QImage>
#include <QSize>
#include <QString>

class QButtonGroup;

namespace imageconversion {

// The dialog's choices, by button id.
enum Choice { Offline = 0, AsIs = 1, MainVideo = 2, PictureArea = 3 };

// Largest picture sent without a question, both ways.
constexpr int kSizeLimit = 1024;

// The box a converted picture fits in: 1024 x 1024 for the main video area,
// 512 x 672 for a picture area.
QSize targetBox(Choice choice);
// The picture scaled smoothly to fit inside the box, keeping its aspect ratio.
QImage fitted(const QImage& image, Choice choice);
// name with ".png" (main video) or ".jpg" (picture area) appended unless it
// already ends so, in any letter case.
QString withExtension(const QString& name, Choice choice);
// The name offered for the converted picture: beside the source (listed with
// it), its base name marked with the area it was converted for.
QString suggestedName(const QString& sourcePath, Choice choice);
// Saves as PNG (main video) or JPEG of quality 95 (picture area), replacing
// an existing file only once the new one is complete.
bool save(const QImage& image, const QString& fileName, Choice choice);

} // namespace imageconversion

class ImageConversion_Dialog : public QDialog
{
    Q_OBJECT
public:
    explicit ImageConversion_Dialog(QWidget* parent = nullptr);

public slots:
    // Ends with the id of the checked choice; OK is enabled once one is checked.
    void ImageConversion_ok_Slot();
    // Ends with -1.
    void ImageConversion_cancel_Slot();
    void reject() override;

private:
    QButtonGroup* m_choices;
};
