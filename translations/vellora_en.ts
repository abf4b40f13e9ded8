<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Vellora</name>
    <message>
        <source>选区识字并复制</source>
        <translation>Capture Text and Copy</translation>
    </message>
    <message>
        <source>选区识字并 AI 润色</source>
        <translation>Capture Text and Polish with AI</translation>
    </message>
    <message>
        <source>就绪</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>快捷键：%@</source>
        <translation>Shortcut: %@</translation>
    </message>
    <message>
        <source>设置…</source>
        <translation>Settings…</translation>
    </message>
    <message>
        <source>检查更新…</source>
        <translation>Check for Updates…</translation>
    </message>
    <message>
        <source>打开屏幕录制权限设置…</source>
        <translation>Open Screen Capture Permission Settings…</translation>
    </message>
    <message>
        <source>退出 Vellora</source>
        <translation>Quit Vellora</translation>
    </message>
    <message>
        <source>窗口</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>关闭窗口</source>
        <translation>Close Window</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>重做</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>剪切</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>Vellora 设置</source>
        <translation>Vellora Settings</translation>
    </message>
    <message>
        <source>框选要识别的区域</source>
        <translation>Drag over the area to recognize</translation>
    </message>
    <message>
        <source>正在识别文字…</source>
        <translation>Recognizing text…</translation>
    </message>
    <message>
        <source>正在 AI 润色…</source>
        <translation>Polishing with AI…</translation>
    </message>
    <message>
        <source>请先在设置中保存 AI Key</source>
        <translation>Save an AI key in Settings first</translation>
    </message>
    <message>
        <source>已取消截图</source>
        <translation>Screenshot canceled</translation>
    </message>
    <message>
        <source>识别失败</source>
        <translation>Recognition failed</translation>
    </message>
    <message>
        <source>识别失败：%@</source>
        <translation>Recognition failed: %@</translation>
    </message>
    <message>
        <source>未识别到文字</source>
        <translation>No text found</translation>
    </message>
    <message>
        <source>AI 润色失败</source>
        <translation>AI polishing failed</translation>
    </message>
    <message>
        <source>AI 润色失败：%@</source>
        <translation>AI polishing failed: %@</translation>
    </message>
    <message>
        <source>请先保存 AI Key。</source>
        <translation>Save an AI key first.</translation>
    </message>
    <message>
        <source>复制到剪贴板失败</source>
        <translation>Couldn't copy to the clipboard</translation>
    </message>
    <message>
        <source>已复制识别文字</source>
        <translation>Recognized text copied</translation>
    </message>
    <message>
        <source>已复制润色文字</source>
        <translation>Polished text copied</translation>
    </message>
    <message>
        <source>识别成功，已复制到剪贴板</source>
        <translation>Text recognized and copied to the clipboard</translation>
    </message>
    <message>
        <source>润色完成，已复制到剪贴板</source>
        <translation>Text polished and copied to the clipboard</translation>
    </message>
    <message numerus="yes">
        <source>%d 个字 · 按 ⌘V 粘贴</source>
        <translation>
            <numerusform>%d character · Press Ctrl+V to paste</numerusform>
            <numerusform>%d characters · Press Ctrl+V to paste</numerusform>
        </translation>
    </message>
    <message>
        <source>快捷键已被占用，请重新录制。</source>
        <translation>This shortcut is already in use. Record another one.</translation>
    </message>
    <message>
        <source>Vellora 快捷键注册失败，可从菜单启动</source>
        <translation>Vellora couldn't register its shortcut; start it from the menu</translation>
    </message>
    <message>
        <source>请先在系统设置的“录屏与系统录音”中允许当前应用，再重新打开应用。</source>
        <translation>Vellora can't read the screen. Allow screen capture for Vellora in your system settings (or use an X11 session), then reopen the app.</translation>
    </message>
    <message>
        <source>截图选区正在进行，请先完成或按 Esc 取消。</source>
        <translation>A selection is already in progress. Finish it or press Esc to cancel.</translation>
    </message>
    <message>
        <source>截图无法读取或超过 4000 万像素，请选择更小的区域。</source>
        <translation>The screenshot can't be read or is larger than 40 million pixels. Select a smaller area.</translation>
    </message>
    <message>
        <source>截图像素解码失败，请重试。</source>
        <translation>Couldn't decode the screenshot. Try again.</translation>
    </message>
    <message>
        <source>AI 地址必须是 HTTPS API 根地址。</source>
        <translation>The AI address must be an HTTPS API base URL.</translation>
    </message>
    <message>
        <source>请先填写模型并保存 API Key。</source>
        <translation>Enter a model and save an API key first.</translation>
    </message>
    <message>
        <source>AI 地址无效。</source>
        <translation>The AI address is invalid.</translation>
    </message>
    <message>
        <source>AI 服务请求失败（HTTP %d）。</source>
        <translation>The AI service request failed (HTTP %d).</translation>
    </message>
    <message>
        <source>AI 服务未返回文字。</source>
        <translation>The AI service returned no text.</translation>
    </message>
    <message>
        <source>API Key 含有控制字符，请重新保存。</source>
        <translation>The API key contains control characters; save it again.</translation>
    </message>
    <message>
        <source>钥匙串已锁定，请先解锁后重试。</source>
        <translation>The keyring is locked; unlock it and try again.</translation>
    </message>
    <message>
        <source>保存密钥失败：%@</source>
        <translation>Couldn't save the key: %@</translation>
    </message>
    <message>
        <source>配置已被其它设备或程序修改，请重新加载后再编辑。</source>
        <translation>Changed on another computer or by another program; reload it before editing.</translation>
    </message>
    <message>
        <source>iCloud 配置存在冲突版本，请在访达中处理后重新加载。</source>
        <translation>The file has conflicting copies; keep one in your file manager.</translation>
    </message>
    <message>
        <source>配置文件暂不可用。</source>
        <translation>The settings file is temporarily unavailable.</translation>
    </message>
    <message>
        <source>配置文件超过 5 MB。</source>
        <translation>The settings file is larger than 5 MB.</translation>
    </message>
    <message>
        <source>配置文件的格式不正确。</source>
        <translation>The settings file isn't in the correct format.</translation>
    </message>
    <message>
        <source>仅保存在本机</source>
        <translation>Saved on this computer only</translation>
    </message>
    <message>
        <source>已启用 iCloud 同步</source>
        <translation>Cloud sync is on</translation>
    </message>
    <message>
        <source>已同步到 iCloud</source>
        <translation>Synced to the cloud drive</translation>
    </message>
    <message>
        <source>已从 iCloud 同步</source>
        <translation>Synced from the cloud drive</translation>
    </message>
    <message>
        <source>等待 iCloud 配置下载；不会覆盖云端文件。</source>
        <translation>Waiting for the settings file to download; the cloud copy won't be overwritten.</translation>
    </message>
    <message>
        <source>未找到 iCloud Drive，请先在系统设置中开启。</source>
        <translation>No cloud drive folder found. Set up Nextcloud, Dropbox, Syncthing or OneDrive first.</translation>
    </message>
    <message>
        <source>iCloud 配置不可用：%@</source>
        <translation>Couldn't turn on cloud sync: %@</translation>
    </message>
    <message>
        <source>iCloud 配置暂不可用：%@</source>
        <translation>Cloud sync paused: %@</translation>
    </message>
    <message>
        <source>iCloud 保存失败：%@</source>
        <translation>Not saved to the cloud drive: %@</translation>
    </message>
    <message>
        <source>iCloud 中已有 Vellora 配置</source>
        <translation>The cloud drive already has Vellora settings</translation>
    </message>
    <message>
        <source>选择要保留的配置。API Key、授权和屏幕录制权限不会同步。</source>
        <translation>Choose which settings to keep. The API key, permissions and screen capture access are not synced.</translation>
    </message>
    <message>
        <source>使用 iCloud 配置</source>
        <translation>Use Cloud Settings</translation>
    </message>
    <message>
        <source>用当前配置替换 iCloud</source>
        <translation>Replace Cloud Settings with These</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>通用</source>
        <translation>General</translation>
    </message>
    <message>
        <source>AI 润色</source>
        <translation>AI Polish</translation>
    </message>
    <message>
        <source>外观</source>
        <translation>Appearance</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Updates</translation>
    </message>
    <message>
        <source>屏幕录制权限</source>
        <translation>Screen Capture Permission</translation>
    </message>
    <message>
        <source>已允许截取屏幕</source>
        <translation>Screen capture is allowed</translation>
    </message>
    <message>
        <source>尚未允许截取屏幕</source>
        <translation>Screen capture is not allowed yet</translation>
    </message>
    <message>
        <source>此桌面无需屏幕录制授权</source>
        <translation>This desktop needs no screen capture permission</translation>
    </message>
    <message>
        <source>此桌面会在截图时询问是否允许，没有可打开的权限设置。</source>
        <translation>This desktop asks when you capture; it has no permission settings to open.</translation>
    </message>
    <message>
        <source>Vellora 只截取你框选的区域，在本机识别文字。</source>
        <translation>Vellora captures only the area you select and recognizes the text on this computer.</translation>
    </message>
    <message>
        <source>打开权限设置</source>
        <translation>Open Permission Settings</translation>
    </message>
    <message>
        <source>授权后若系统提示，请退出并重新打开 Vellora。</source>
        <translation>If the system asks after you grant access, quit and reopen Vellora.</translation>
    </message>
    <message>
        <source>截图权限指南（简体中文）</source>
        <translation>Screen capture permission guide (in Simplified Chinese)</translation>
    </message>
    <message>
        <source>入口</source>
        <translation>Visibility</translation>
    </message>
    <message>
        <source>隐藏菜单栏图标</source>
        <translation>Hide tray icon</translation>
    </message>
    <message>
        <source>隐藏 Dock 图标</source>
        <translation>Hide taskbar entry</translation>
    </message>
    <message>
        <source>同时隐藏后，可从“应用程序”重新打开 Vellora 进入设置；截图快捷键仍可使用。</source>
        <translation>With both hidden, open Vellora again from your applications menu to reach the settings; the capture shortcut keeps working.</translation>
    </message>
    <message>
        <source>语言与同步</source>
        <translation>Language &amp; Sync</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>Use System Setting</translation>
    </message>
    <message>
        <source>简体中文</source>
        <translation>简体中文</translation>
    </message>
    <message>
        <source>繁體中文</source>
        <translation>繁體中文</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>iCloud 同步配置</source>
        <translation>Sync settings through a cloud drive</translation>
    </message>
    <message>
        <source>同步语言、外观、图标显示、快捷键和 AI 服务设置。API Key、授权和屏幕录制权限仍保存在各台 Mac。</source>
        <translation>Syncs language, appearance, icons, shortcut and AI settings; the API key stays on each computer.</translation>
    </message>
    <message>
        <source>截图快捷键</source>
        <translation>Capture Shortcut</translation>
    </message>
    <message>
        <source>录制快捷键</source>
        <translation>Record Shortcut</translation>
    </message>
    <message>
        <source>取消录制</source>
        <translation>Cancel Recording</translation>
    </message>
    <message>
        <source>快捷键由 X11 直接注册。</source>
        <translation>The shortcut is registered with X11 directly.</translation>
    </message>
    <message>
        <source>快捷键通过桌面的全局快捷键门户注册，桌面可能会请你确认。</source>
        <translation>The shortcut is registered through the desktop's global shortcuts portal; the desktop may ask you to confirm it.</translation>
    </message>
    <message>
        <source>此桌面没有全局快捷键门户：请在系统键盘设置中添加自定义快捷键，运行以下命令（识字并复制、识字并 AI 润色）：</source>
        <translation>This desktop has no global shortcuts portal: add a custom shortcut in the system's keyboard settings that runs one of these commands (recognise and copy, recognise and polish with AI):</translation>
    </message>
    <message>
        <source>界面模式</source>
        <translation>Theme</translation>
    </message>
    <message>
        <source>浅色</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>深色</source>
        <translation>Dark</translation>
    </message>
    <message>
        <source>软件更新</source>
        <translation>Software Update</translation>
    </message>
    <message>
        <source>自动检查更新</source>
        <translation>Automatically check for updates</translation>
    </message>
    <message>
        <source>查看完整更新日志</source>
        <translation>View Full Changelog</translation>
    </message>
    <message>
        <source>OpenAI 兼容服务</source>
        <translation>OpenAI-Compatible Service</translation>
    </message>
    <message>
        <source>API 根地址</source>
        <translation>API Base URL</translation>
    </message>
    <message>
        <source>模型</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>对已知支持的模型，润色请求会自动关闭思考以缩短等待。</source>
        <translation>For models known to support it, polishing requests turn off thinking to shorten the wait.</translation>
    </message>
    <message>
        <source>已保存 API Key；输入新值可替换</source>
        <translation>API key saved; enter a new one to replace it</translation>
    </message>
    <message>
        <source>API Key</source>
        <translation>API Key</translation>
    </message>
    <message>
        <source>保存密钥</source>
        <translation>Save Key</translation>
    </message>
    <message>
        <source>删除密钥</source>
        <translation>Delete Key</translation>
    </message>
    <message>
        <source>已存储在本机钥匙串</source>
        <translation>Stored in this computer's keyring</translation>
    </message>
    <message>
        <source>测试中…</source>
        <translation>Testing…</translation>
    </message>
    <message>
        <source>测试连接</source>
        <translation>Test Connection</translation>
    </message>
    <message>
        <source>连接成功</source>
        <translation>Connection succeeded</translation>
    </message>
    <message>
        <source>连接失败：%@</source>
        <translation>Connection failed: %@</translation>
    </message>
    <message>
        <source>请先保存 API Key。</source>
        <translation>Save an API key first.</translation>
    </message>
    <message>
        <source>润色提示词</source>
        <translation>Polishing Prompt</translation>
    </message>
    <message>
        <source>API 根地址超过 2048 个字符，多出的部分已删去。</source>
        <translation>The API base URL is longer than 2,048 characters; the rest was removed.</translation>
    </message>
    <message>
        <source>模型名称超过 256 个字符，多出的部分已删去。</source>
        <translation>The model name is longer than 256 characters; the rest was removed.</translation>
    </message>
    <message>
        <source>润色提示词超过 20000 个字符，多出的部分已删去。</source>
        <translation>The polishing prompt is longer than 20,000 characters; the rest was removed.</translation>
    </message>
    <message>
        <source>从菜单选择“选区识字并 AI 润色”时，识别文字会发送到配置的 AI 服务；普通识字始终在本机完成。</source>
        <translation>When you choose “Capture Text and Polish with AI” from the menu, the recognized text is sent to the configured AI service; plain text capture always stays on this computer.</translation>
    </message>
    <message>
        <source>删除 AI 服务密钥？</source>
        <translation>Delete the AI service key?</translation>
    </message>
    <message>
        <source>下次使用 AI 润色前，需要重新保存此服务的 API Key。</source>
        <translation>You'll need to save this service's API key again before you next use AI polish.</translation>
    </message>
    <message>
        <source>按下含 ⌘、⌃ 或 ⌥ 的快捷键；Esc 取消</source>
        <translation>Press a shortcut with Super, Ctrl or Alt; Esc cancels</translation>
    </message>
    <message>
        <source>请包含 ⌘、⌃ 或 ⌥，避免覆盖普通输入</source>
        <translation>Include Super, Ctrl or Alt so the shortcut doesn't take over normal typing</translation>
    </message>
    <message>
        <source>按键 %d</source>
        <translation>Key %d</translation>
    </message>
    <message>
        <source>正在准备重启…</source>
        <translation>Preparing to restart…</translation>
    </message>
    <message>
        <source>版本 %@（%@）</source>
        <translation>Version %@ (%@)</translation>
    </message>
    <message>
        <source>开发版不自动更新</source>
        <translation>Development builds do not update automatically</translation>
    </message>
    <message>
        <source>自动提示新版已开启</source>
        <translation>Automatic update checks are on</translation>
    </message>
    <message>
        <source>自动提示新版已关闭</source>
        <translation>Automatic update checks are off</translation>
    </message>
    <message>
        <source>正在检查更新…</source>
        <translation>Checking for updates…</translation>
    </message>
    <message>
        <source>已经是最新版本</source>
        <translation>You're up to date</translation>
    </message>
    <message>
        <source>发现新版本 %@</source>
        <translation>Version %@ is available</translation>
    </message>
    <message>
        <source>正在下载 %@…</source>
        <translation>Downloading %@…</translation>
    </message>
    <message>
        <source>%@ 已下载，等待重启</source>
        <translation>%@ downloaded; restart to install</translation>
    </message>
    <message>
        <source>下载更新</source>
        <translation>Download Update</translation>
    </message>
    <message>
        <source>重启并更新</source>
        <translation>Restart and Update</translation>
    </message>
    <message>
        <source>检查更新</source>
        <translation>Check for Updates</translation>
    </message>
    <message>
        <source>开发版不检查正式更新。</source>
        <translation>Development builds do not check for production updates.</translation>
    </message>
    <message>
        <source>%@ 已经是最新版本。</source>
        <translation>%@ is up to date.</translation>
    </message>
    <message>
        <source>检查更新失败：%@</source>
        <translation>Update check failed: %@</translation>
    </message>
    <message>
        <source>%@ %@ 可更新</source>
        <translation>%@ %@ is available</translation>
    </message>
    <message>
        <source>可以现在下载。下载并校验完成后，应用会询问是否重启完成更新。</source>
        <translation>You can download it now. After verification, the app will ask to restart and finish the update.</translation>
    </message>
    <message>
        <source>稍后</source>
        <translation>Later</translation>
    </message>
    <message>
        <source>下载更新失败：%@</source>
        <translation>Update download failed: %@</translation>
    </message>
    <message>
        <source>%@ %@ 已准备好</source>
        <translation>%@ %@ is ready</translation>
    </message>
    <message>
        <source>重启应用即可完成更新。</source>
        <translation>Restart the app to finish updating.</translation>
    </message>
    <message>
        <source>无法启动更新：%@</source>
        <translation>Unable to start the update: %@</translation>
    </message>
    <message>
        <source>好</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>更新包已损坏，请重新下载。</source>
        <translation>The update archive is damaged. Download it again.</translation>
    </message>
    <message>
        <source>更新包未通过开发者签名或公证校验。</source>
        <translation>The update failed developer signature or notarization verification.</translation>
    </message>
    <message>
        <source>更新清单版本不受支持。</source>
        <translation>This update manifest version is not supported.</translation>
    </message>
    <message>
        <source>更新包不属于当前应用。</source>
        <translation>This update does not belong to the current app.</translation>
    </message>
    <message>
        <source>更新版本信息无效。</source>
        <translation>The update version is invalid.</translation>
    </message>
    <message>
        <source>更新下载地址无效。</source>
        <translation>The update download address is invalid.</translation>
    </message>
    <message>
        <source>更新包校验值无效。</source>
        <translation>The update checksum is invalid.</translation>
    </message>
</context>
</TS>
