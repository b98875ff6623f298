#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QPushButton;

// A path field with a browse button. fileNameChanged() reports only changes made
// by the operator (editing finished with a different text, or a different pick
// in the browser); setFileName() never emits it.
class FileChooser : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(Mode mode READ mode WRITE setMode)
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)

public:
    enum Mode { File, Directory };
    Q_ENUM(Mode)

    explicit FileChooser(QWidget* parent = nullptr);

    Mode mode() const { return m_mode; }
    void setMode(Mode mode);

    QString fileName() const;
    void setFileName(const QString& name);

    QLineEdit* lineEdit() const { return m_lineEdit; }
    QPushButton* browseButton() const { return m_browseButton; }

signals:
    void fileNameChanged(const QString& name);

protected:
    void changeEvent(QEvent* event) override;

private:
    void browse();
    void acceptEditedText();
    void report(const QString& name);
    void retranslate();

    Mode m_mode = File;
    QLineEdit* m_lineEdit;
    QPushButton* m_browseButton;
    QString m_reportedName;  // the last name set or reported; edits equal to it are no change
};
