#include "content/imageconversion.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace imageconversion {

QSize targetBox(Choice choice)
{
    return choice == PictureArea ? QSize(512, 672) : QSize(kSizeLimit, kSizeLimit);
}

QImage fitted(const QImage& image, Choice choice)
{
    return image.scaled(targetBox(choice), Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QString withExtension(const QString& name, Choice choice)
{
    const QLatin1String extension(choice == PictureArea ? ".jpg" : ".png");
    return name.endsWith(extension, Qt::CaseInsensitive) ? name : name + extension;
}

QString suggestedName(const QString& sourcePath, Choice choice)
{
    const QFileInfo source(sourcePath);
    const QLatin1String mark(choice == PictureArea ? "_area" : "_main");
    return withExtension(source.dir().filePath(source.completeBaseName() + mark), choice);
}

bool save(const QImage& image, const QString& fileName, Choice choice)
{
    QSaveFile file(fileName);
    // Unbuffered, so that a short write (disk full) is seen.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const bool written = choice == PictureArea ? image.save(&file, "JPEG", 95) : image.save(&file, "PNG");
    if (!written) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace imageconversion

ImageConversion_Dialog::ImageConversion_Dialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ImageConversion_Dialog"));
    setModal(true);
    setWindowTitle(tr("Image conversion"));

    auto* question = new QLabel(
        tr("This picture may be too big to fit into a split screen picture area.\nOr the picture is not a baseline "
           "JPEG file. \nIt is recommended that it is converted before downloading. \nWould you like to perform the "
           "image conversion now?"),
        this);
    auto* group = new QGroupBox(tr("Pick one of the following choices"), this);
    m_choices = new QButtonGroup(this);
    auto* groupLayout = new QVBoxLayout(group);
    const struct {
        const char* objectName;
        QString text;
    } choices[] = {
        {"Offline_radioButton", tr("No, I will convert the picture offline and download again later.")},
        {"Asis_radioButton", tr("No, I will put this picture on the full screen, download it as is.")},
        {"Main_radioButton", tr("Yes, convert it to fit into the MAIN VIDEO area, download it later.")},
        {"radioButton2_3", tr("Yes, convert it to fit into a PICTURE area, download it later.")},
    };
    int id = 0;
    for (const auto& choice : choices) {
        auto* button = new QRadioButton(choice.text, group);
        button->setObjectName(QLatin1String(choice.objectName));
        m_choices->addButton(button, id++);
        groupLayout->addWidget(button);
    }

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("ImageConversion_buttonOk"));
    ok->setDefault(true);
    // OK without a choice would end the dialog doing nothing at all.
    ok->setEnabled(false);
    connect(m_choices, &QButtonGroup::idToggled, ok, [ok] { ok->setEnabled(true); });
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("ImageConversion_buttonCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(group);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &ImageConversion_Dialog::ImageConversion_ok_Slot);
    connect(cancel, &QPushButton::clicked, this, &ImageConversion_Dialog::ImageConversion_cancel_Slot);
}

void ImageConversion_Dialog::ImageConversion_ok_Slot()
{
    done(m_choices->checkedId());
}

void ImageConversion_Dialog::ImageConversion_cancel_Slot()
{
    done(-1);
}

void ImageConversion_Dialog::reject()
{
    ImageConversion_cancel_Slot();
}
