#include "VelloraAISettingsView.h"

#include "AIKeychain.h"
#include "TextPolisher.h"
#include "VelloraLocalization.h"
#include "VelloraPreferences.h"

#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <functional>

namespace {

// The prompt editor asks for its minimum height only; the pane gives it the
// rest of the tab, and the tab scrolls only when that is not enough. A paste
// keeps the prompt within its limit: laying out a megabyte would stall the
// window before the preferences could cut it.
class PromptEditor final : public QPlainTextEdit {
public:
    static constexpr int MinimumHeight = 130;
    PromptEditor() { setMinimumHeight(MinimumHeight); }
    QSize sizeHint() const override { return {QPlainTextEdit::sizeHint().width(), MinimumHeight}; }

    // Called after a paste was cut to fit.
    std::function<void()> onPasteCut;

protected:
    void insertFromMimeData(const QMimeData *source) override {
        const qsizetype room = VelloraPreferences::MaximumPromptLength -
                               (document()->characterCount() - 1 - textCursor().selectedText().size());
        if (!source->hasText() || source->text().size() <= room) {
            QPlainTextEdit::insertFromMimeData(source);
            return;
        }
        QString text = source->text().left(qMax<qsizetype>(room, 0));
        if (!text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);
        insertPlainText(text);
        if (onPasteCut)
            onPasteCut();
    }
};

QWidget *fieldRow(QLabel *label, QWidget *field) {
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 2, 0, 2);
    label->setMinimumWidth(96);
    layout->addWidget(label);
    layout->addWidget(field, 1);
    return row;
}

// Replaces a line edit's text only when it differs, so typing keeps its cursor.
void showText(QLineEdit *edit, const QString &text) {
    if (edit->text() != text)
        edit->setText(text);
}

} // namespace

VelloraAISettingsView::VelloraAISettingsView(VelloraPreferences &preferences, SecretStore &keyStore,
                                             QNetworkAccessManager &network, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_keyStore(keyStore)
    , m_network(network)
    , m_baseURL(new QLineEdit)
    , m_model(new QLineEdit)
    , m_keyDraft(new QLineEdit)
    , m_saveKey(new QPushButton)
    , m_deleteKey(new QPushButton)
    , m_keyStoredNote(new SettingsCaption)
    , m_testConnection(new QPushButton)
    , m_keyError(new SettingsCaption)
    , m_testStatus(new SettingsCaption)
    , m_prompt(new PromptEditor)
    , m_textLimitNotice(new SettingsCaption) {
    setObjectName(QStringLiteral("aiSettingsView"));
    m_baseURL->setObjectName(QStringLiteral("aiBaseURL"));
    m_model->setObjectName(QStringLiteral("aiModel"));
    m_keyDraft->setObjectName(QStringLiteral("keyDraft"));
    m_saveKey->setObjectName(QStringLiteral("saveKey"));
    m_deleteKey->setObjectName(QStringLiteral("deleteKey"));
    m_keyStoredNote->setObjectName(QStringLiteral("keyStoredNote"));
    m_testConnection->setObjectName(QStringLiteral("testConnection"));
    m_keyError->setObjectName(QStringLiteral("keyError"));
    m_testStatus->setObjectName(QStringLiteral("aiTestStatus"));
    m_prompt->setObjectName(QStringLiteral("polishPrompt"));
    m_textLimitNotice->setObjectName(QStringLiteral("textLimitNotice"));

    m_keyStoredNote->setWordWrap(false);
    m_keyDraft->setEchoMode(QLineEdit::Password);
    m_keyDraft->setClearButtonEnabled(true);
    m_baseURL->setInputMethodHints(Qt::ImhUrlCharactersOnly | Qt::ImhNoAutoUppercase);
    m_model->setInputMethodHints(Qt::ImhNoAutoUppercase);
    m_prompt->setTabChangesFocus(true);
    m_baseURL->setMaxLength(int(VelloraPreferences::MaximumBaseURLLength));
    m_model->setMaxLength(int(VelloraPreferences::MaximumModelLength));
    static_cast<PromptEditor *>(m_prompt)->onPasteCut = [this] {
        m_preferences.setTextLimitNotice(VelloraPreferences::promptCutNotice());
    };
    m_textLimitNotice->setTextColor(SettingsColors::failure());

    // The service.
    auto *service = new SettingsSection;
    service->setObjectName(QStringLiteral("serviceSection"));
    m_texts.bindText(service->titleLabel(), VELLORA_L10N_KEY("OpenAI 兼容服务"));
    auto *baseURLLabel = new QLabel;
    m_texts.bindText(baseURLLabel, VELLORA_L10N_KEY("API 根地址"));
    baseURLLabel->setBuddy(m_baseURL);
    service->addRow(fieldRow(baseURLLabel, m_baseURL));
    auto *modelLabel = new QLabel;
    m_texts.bindText(modelLabel, VELLORA_L10N_KEY("模型"));
    modelLabel->setBuddy(m_model);
    auto *reasoningCaption = new SettingsCaption;
    m_texts.bindText(reasoningCaption, VELLORA_L10N_KEY("对已知支持的模型，润色请求会自动关闭思考以缩短等待。"));
    service->addGroup({fieldRow(modelLabel, m_model), reasoningCaption});

    auto *keyRows = new QWidget;
    auto *keyLayout = new QVBoxLayout(keyRows);
    keyLayout->setContentsMargins(0, 2, 0, 2);
    keyLayout->setSpacing(8);
    keyLayout->addWidget(m_keyDraft);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(m_saveKey);
    buttons->addWidget(m_deleteKey);
    buttons->addWidget(m_keyStoredNote);
    buttons->addStretch(1);
    buttons->addWidget(m_testConnection);
    keyLayout->addLayout(buttons);
    keyLayout->addWidget(m_keyError);
    keyLayout->addWidget(m_testStatus);
    service->addRow(keyRows);
    m_texts.bindText(m_saveKey, VELLORA_L10N_KEY("保存密钥"));
    m_texts.bindText(m_deleteKey, VELLORA_L10N_KEY("删除密钥"));
    m_texts.bindText(m_keyStoredNote, VELLORA_L10N_KEY("已存储在本机钥匙串"));
    m_keyError->setTextColor(SettingsColors::failure());

    // The prompt.
    auto *promptSection = new SettingsSection;
    promptSection->setObjectName(QStringLiteral("promptSection"));
    m_texts.bindText(promptSection->titleLabel(), VELLORA_L10N_KEY("润色提示词"));
    auto *promptRows = new QWidget;
    auto *promptLayout = new QVBoxLayout(promptRows);
    promptLayout->setContentsMargins(0, 4, 0, 2);
    promptLayout->setSpacing(8);
    promptLayout->addWidget(m_prompt);
    promptLayout->addWidget(m_textLimitNotice);
    auto *privacyCaption = new SettingsCaption;
    m_texts.bindText(privacyCaption, VELLORA_L10N_KEY("从菜单选择“选区识字并 AI 润色”时，识别文字会发送到配置的 AI "
                                                      "服务；普通识字始终在本机完成。"));
    promptLayout->addWidget(privacyCaption);
    promptSection->addRow(promptRows);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 12, 12, 12);
    layout->setSpacing(14);
    layout->addWidget(service);
    layout->addWidget(promptSection, 1);

    // Both ways: edits write the preferences, preference changes show here.
    m_baseURL->setText(m_preferences.aiBaseURL());
    m_model->setText(m_preferences.aiModel());
    m_prompt->setPlainText(m_preferences.polishPrompt());
    connect(m_baseURL, &QLineEdit::textEdited, &m_preferences, &VelloraPreferences::setAiBaseURL);
    connect(m_model, &QLineEdit::textEdited, &m_preferences, &VelloraPreferences::setAiModel);
    connect(m_prompt, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_settingPrompt)
            m_preferences.setPolishPrompt(m_prompt->toPlainText());
    });
    connect(&m_preferences, &VelloraPreferences::aiBaseURLChanged, this,
            [this] { showText(m_baseURL, m_preferences.aiBaseURL()); });
    connect(&m_preferences, &VelloraPreferences::aiModelChanged, this,
            [this] { showText(m_model, m_preferences.aiModel()); });
    connect(&m_preferences, &VelloraPreferences::polishPromptChanged, this, [this] {
        if (m_prompt->toPlainText() == m_preferences.polishPrompt())
            return;
        m_settingPrompt = true;
        m_prompt->setPlainText(m_preferences.polishPrompt());
        m_settingPrompt = false;
    });

    connect(m_keyDraft, &QLineEdit::textChanged, this, &VelloraAISettingsView::updateKeyState);
    connect(m_keyDraft, &QLineEdit::returnPressed, this, [this] {
        if (m_saveKey->isEnabled())
            saveDraft();
    });
    connect(m_saveKey, &QPushButton::clicked, this, &VelloraAISettingsView::saveDraft);
    connect(m_deleteKey, &QPushButton::clicked, this, &VelloraAISettingsView::confirmKeyRemoval);
    connect(m_testConnection, &QPushButton::clicked, this, &VelloraAISettingsView::testConnection);
    connect(&m_preferences, &VelloraPreferences::keySavedChanged, this, &VelloraAISettingsView::updateKeyState);
    connect(&m_preferences, &VelloraPreferences::keyBusyChanged, this, &VelloraAISettingsView::updateKeyState);
    connect(&m_preferences, &VelloraPreferences::keyErrorChanged, this, &VelloraAISettingsView::updateKeyState);
    connect(&m_preferences, &VelloraPreferences::languageChanged, this, &VelloraAISettingsView::retranslate);
    connect(&m_preferences, &VelloraPreferences::textLimitNoticeChanged, this,
            &VelloraAISettingsView::updateTextLimitNotice);

    retranslate();
}

VelloraAISettingsView::~VelloraAISettingsView() = default;

QString VelloraAISettingsView::language() const {
    return m_preferences.language();
}

QString VelloraAISettingsView::keyDraft() const {
    return m_keyDraft->text();
}

QString VelloraAISettingsView::aiTestStatus() const {
    return m_testStatus->text();
}

void VelloraAISettingsView::retranslate() {
    m_texts.apply(language());
    updateKeyState();
    updateTestStatus();
    updateTextLimitNotice();
}

void VelloraAISettingsView::updateTextLimitNotice() {
    const QString notice = m_preferences.textLimitNotice();
    m_textLimitNotice->setText(velloraLocalized(notice, language()));
    m_textLimitNotice->setVisible(!notice.isEmpty());
}

void VelloraAISettingsView::updateKeyState() {
    const bool saved = m_preferences.keySaved();
    m_keyDraft->setPlaceholderText(saved
                                       ? velloraLocalized(QStringLiteral("已保存 API Key；输入新值可替换"), language())
                                       : velloraLocalized(QStringLiteral("API Key"), language()));
    m_keyDraft->setAccessibleName(velloraLocalized(QStringLiteral("API Key"), language()));
    m_saveKey->setEnabled(!m_keyDraft->text().trimmed().isEmpty());
    m_deleteKey->setVisible(saved);
    m_keyStoredNote->setVisible(saved);
    // While the keyring works the stored key may be about to change; a test waits for it.
    m_testConnection->setEnabled(saved && !m_testingAI && !m_preferences.keyBusy());
    m_testConnection->setText(m_testingAI ? velloraLocalized(QStringLiteral("测试中…"), language())
                                          : velloraLocalized(QStringLiteral("测试连接"), language()));
    const QString error = m_preferences.keyError();
    m_keyError->setText(velloraLocalized(error, language()));
    m_keyError->setVisible(!error.isEmpty());
}

void VelloraAISettingsView::updateTestStatus() {
    if (m_testStatusKey.isEmpty()) {
        m_testStatus->clear();
        m_testStatus->hide();
        return;
    }
    const QString detail = velloraLocalizedDescription(m_testStatusDetail, language());
    m_testStatus->setText(m_testStatusDetail.isEmpty() && !m_testStatusKey.contains(QLatin1String("%@"))
                              ? velloraLocalized(m_testStatusKey, language())
                              : velloraLocalizedFormatIn(language(), m_testStatusKey, detail));
    m_testStatus->setTextColor(m_testStatusKey == QStringLiteral("连接成功") ? SettingsColors::success()
                                                                             : SettingsColors::failure());
    m_testStatus->show();
}

void VelloraAISettingsView::saveDraft() {
    m_preferences.saveKey(m_keyDraft->text());
    m_keyDraft->clear();
}

void VelloraAISettingsView::confirmKeyRemoval() {
    auto *box = new QMessageBox(QMessageBox::Warning, velloraLocalized(QStringLiteral("Vellora 设置"), language()),
                                velloraLocalized(QStringLiteral("删除 AI 服务密钥？"), language()),
                                QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("keyRemovalConfirmation"));
    box->setInformativeText(
        velloraLocalized(QStringLiteral("下次使用 AI 润色前，需要重新保存此服务的 API Key。"), language()));
    QPushButton *cancel = box->addButton(velloraLocalized(QStringLiteral("取消"), language()), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelKeyRemoval"));
    QPushButton *remove =
        box->addButton(velloraLocalized(QStringLiteral("删除密钥"), language()), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("confirmKeyRemoval"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::buttonClicked, this, [this, remove](QAbstractButton *clicked) {
        if (clicked == remove)
            m_preferences.saveKey(QString());
    });
    box->open();
}

void VelloraAISettingsView::testConnection() {
    if (m_testingAI)
        return;
    m_testingAI = true;
    m_testStatusKey.clear();
    m_testStatusDetail.clear();
    updateTestStatus();
    updateKeyState();

    // The keyring blocks on D-Bus; read it off the GUI thread.
    SecretStore &store = m_keyStore;
    auto *reading = new QFutureWatcher<Result<std::optional<QString>>>(this);
    connect(reading, &QFutureWatcherBase::finished, this, [this, reading] {
        const Result<std::optional<QString>> stored = reading->result();
        reading->deleteLater();
        if (!stored) {
            finishTest(VELLORA_L10N_KEY("连接失败：%@"), stored.error().description);
            return;
        }
        if (!stored.value()) {
            finishTest(VELLORA_L10N_KEY("请先保存 API Key。"));
            return;
        }
        // The stored key is what is tested, never the draft.
        auto *polishing = new QFutureWatcher<Result<QString>>(this);
        connect(polishing, &QFutureWatcherBase::finished, this, [this, polishing] {
            const Result<QString> polished = polishing->result();
            polishing->deleteLater();
            if (polished)
                finishTest(VELLORA_L10N_KEY("连接成功"));
            else
                finishTest(VELLORA_L10N_KEY("连接失败：%@"), polished.error().description);
        });
        polishing->setFuture(TextPolisher::polish(QStringLiteral("测试"), m_preferences.aiBaseURL(),
                                                  m_preferences.aiModel(), QStringLiteral("请只回复：连接成功"),
                                                  *stored.value(), &m_network));
    });
    reading->setFuture(QtConcurrent::run([&store] { return AIKeychain::read(store); }));
}

void VelloraAISettingsView::finishTest(const QString &statusKey, const QString &detail) {
    m_testStatusKey = statusKey;
    m_testStatusDetail = detail;
    m_testingAI = false;
    updateTestStatus();
    updateKeyState();
    emit connectionTestFinished();
}
