#pragma once

#include "SettingsControls.h"

#include <QWidget>

class QLineEdit;
class QNetworkAccessManager;
class QPlainTextEdit;
class QPushButton;
class SecretStore;
class SettingsCaption;
class VelloraPreferences;

// The "AI 润色" pane: where polishing points at an OpenAI-compatible service.
// Address, model and prompt are the preferences, saved as they are typed; the
// key is a draft stored in the keyring only by "保存密钥" and never shown again.
// "测试连接" polishes a short text with the stored key, asynchronously.
// GUI thread only.
class VelloraAISettingsView final : public QWidget {
    Q_OBJECT

public:
    // All three must outlive the view. `network` is the application's shared
    // session, on the GUI thread.
    VelloraAISettingsView(VelloraPreferences &preferences, SecretStore &keyStore, QNetworkAccessManager &network,
                          QWidget *parent = nullptr);
    ~VelloraAISettingsView() override;

    // The view state.
    QString keyDraft() const;
    bool testingAI() const { return m_testingAI; }
    // The last test's result as shown (translated); empty before any test.
    QString aiTestStatus() const;

    // Starts the connection test, unless one runs.
    void testConnection();
    // Shows the removal confirmation (window-modal, does not block).
    void confirmKeyRemoval();

signals:
    // A connection test ended; aiTestStatus() holds its result.
    void connectionTestFinished();

private:
    void retranslate();
    void updateKeyState();
    void updateTestStatus();
    void updateTextLimitNotice();
    void saveDraft();
    void finishTest(const QString &statusKey, const QString &detail = {});
    QString language() const;

    VelloraPreferences &m_preferences;
    SecretStore &m_keyStore;
    QNetworkAccessManager &m_network;
    LocalizedTexts m_texts;

    QLineEdit *m_baseURL;
    QLineEdit *m_model;
    QLineEdit *m_keyDraft;
    QPushButton *m_saveKey;
    QPushButton *m_deleteKey;
    SettingsCaption *m_keyStoredNote;
    QPushButton *m_testConnection;
    SettingsCaption *m_keyError;
    SettingsCaption *m_testStatus;
    QPlainTextEdit *m_prompt;
    SettingsCaption *m_textLimitNotice;

    bool m_testingAI = false;
    // The result as a localisation key, and the error text that fills its %@.
    QString m_testStatusKey;
    QString m_testStatusDetail;
    bool m_settingPrompt = false;
};
