<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
<context>
    <name>Vellora</name>
    <message numerus="yes">
        <source>%d 个字 · 按 ⌘V 粘贴</source>
        <translation>
            <numerusform>%d 个字 · 按 Ctrl+V 粘贴</numerusform>
        </translation>
    </message>
    <message>
        <source>请先在系统设置的“录屏与系统录音”中允许当前应用，再重新打开应用。</source>
        <translation>Vellora 无法截取屏幕。请先在系统设置中允许 Vellora 截取屏幕（或改用 X11 会话），再重新打开应用。</translation>
    </message>
    <message>
        <source>iCloud 配置存在冲突版本，请在访达中处理后重新加载。</source>
        <translation>云盘配置存在冲突版本，请在文件管理器中处理后重新加载。</translation>
    </message>
    <message>
        <source>已启用 iCloud 同步</source>
        <translation>已启用云盘同步</translation>
    </message>
    <message>
        <source>已同步到 iCloud</source>
        <translation>已同步到云盘</translation>
    </message>
    <message>
        <source>已从 iCloud 同步</source>
        <translation>已从云盘同步</translation>
    </message>
    <message>
        <source>等待 iCloud 配置下载；不会覆盖云端文件。</source>
        <translation>等待云盘配置下载；不会覆盖云端文件。</translation>
    </message>
    <message>
        <source>未找到 iCloud Drive，请先在系统设置中开启。</source>
        <translation>未找到云盘文件夹，请先设置 Nextcloud、Dropbox、Syncthing 或 OneDrive。</translation>
    </message>
    <message>
        <source>iCloud 配置不可用：%@</source>
        <translation>云盘配置不可用：%@</translation>
    </message>
    <message>
        <source>iCloud 配置暂不可用：%@</source>
        <translation>云盘配置暂不可用：%@</translation>
    </message>
    <message>
        <source>iCloud 保存失败：%@</source>
        <translation>云盘保存失败：%@</translation>
    </message>
    <message>
        <source>iCloud 中已有 Vellora 配置</source>
        <translation>云盘中已有 Vellora 配置</translation>
    </message>
    <message>
        <source>使用 iCloud 配置</source>
        <translation>使用云盘配置</translation>
    </message>
    <message>
        <source>用当前配置替换 iCloud</source>
        <translation>用当前配置替换云盘配置</translation>
    </message>
    <message>
        <source>隐藏菜单栏图标</source>
        <translation>隐藏托盘图标</translation>
    </message>
    <message>
        <source>隐藏 Dock 图标</source>
        <translation>隐藏任务栏图标</translation>
    </message>
    <message>
        <source>同时隐藏后，可从“应用程序”重新打开 Vellora 进入设置；截图快捷键仍可使用。</source>
        <translation>同时隐藏后，可从应用程序菜单重新打开 Vellora 进入设置；截图快捷键仍可使用。</translation>
    </message>
    <message>
        <source>iCloud 同步配置</source>
        <translation>通过云盘同步配置</translation>
    </message>
    <message>
        <source>同步语言、外观、图标显示、快捷键和 AI 服务设置。API Key、授权和屏幕录制权限仍保存在各台 Mac。</source>
        <translation>同步语言、外观、图标显示、快捷键和 AI 服务设置。API Key、授权和屏幕录制权限仍保存在各台电脑。</translation>
    </message>
    <message>
        <source>已存储在本机钥匙串</source>
        <translation>已存储在本机密钥环</translation>
    </message>
    <message>
        <source>按下含 ⌘、⌃ 或 ⌥ 的快捷键；Esc 取消</source>
        <translation>按下含 Super、Ctrl 或 Alt 的快捷键；Esc 取消</translation>
    </message>
    <message>
        <source>请包含 ⌘、⌃ 或 ⌥，避免覆盖普通输入</source>
        <translation>请包含 Super、Ctrl 或 Alt，避免覆盖普通输入</translation>
    </message>
</context>
</TS>
