#pragma once
#include <QWidget>

class QCheckBox;
class QLineEdit;
class SettingsStore;
class UserInteraction;

// Form3, the general settings: loads every field from its key when it opens, "Gravar" saves and closes.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    SettingsWindow(SettingsStore& settings, UserInteraction& ui, QWidget* parent = nullptr);
    // Fills every field from its key, in the order the keys were always read, then gives the port number.
    void load();
    // "Numero de caracteres por linha" as it stands in the field, saved or not: the report takes it from here.
    QString numerodeCaracteres() const;

signals:
    // The port number read from "Porta Serie" when the window loads.
    void portRead(qint32 port);

private:
    void Command1_Click();

    SettingsStore& m_settings;
    UserInteraction& m_ui;
    QCheckBox* m_check1;
    QCheckBox* m_check2;
    QLineEdit* m_text1;
    QLineEdit* m_text10;
    QLineEdit* m_text11;
    QLineEdit* m_text2;
    QLineEdit* m_text6;
    QLineEdit* m_text7;
    QLineEdit* m_text8;
};
