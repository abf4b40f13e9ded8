<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW" sourcelanguage="zh_CN">
<context>
    <name>Vellora</name>
    <message>
        <source>选区识字并复制</source>
        <translation>選取範圍辨識並複製</translation>
    </message>
    <message>
        <source>选区识字并 AI 润色</source>
        <translation>選取範圍辨識並以 AI 潤飾</translation>
    </message>
    <message>
        <source>就绪</source>
        <translation>就緒</translation>
    </message>
    <message>
        <source>快捷键：%@</source>
        <translation>快捷鍵：%@</translation>
    </message>
    <message>
        <source>设置…</source>
        <translation>設定…</translation>
    </message>
    <message>
        <source>检查更新…</source>
        <translation>檢查更新…</translation>
    </message>
    <message>
        <source>打开屏幕录制权限设置…</source>
        <translation>開啟螢幕錄製權限設定…</translation>
    </message>
    <message>
        <source>退出 Vellora</source>
        <translation>結束 Vellora</translation>
    </message>
    <message>
        <source>窗口</source>
        <translation>視窗</translation>
    </message>
    <message>
        <source>关闭窗口</source>
        <translation>關閉視窗</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>編輯</translation>
    </message>
    <message>
        <source>撤销</source>
        <translation>復原</translation>
    </message>
    <message>
        <source>重做</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>剪切</source>
        <translation>剪下</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>複製</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>貼上</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>全選</translation>
    </message>
    <message>
        <source>Vellora 设置</source>
        <translation>Vellora 設定</translation>
    </message>
    <message>
        <source>框选要识别的区域</source>
        <translation>框選要辨識的區域</translation>
    </message>
    <message>
        <source>正在识别文字…</source>
        <translation>正在辨識文字…</translation>
    </message>
    <message>
        <source>正在 AI 润色…</source>
        <translation>正在以 AI 潤飾…</translation>
    </message>
    <message>
        <source>请先在设置中保存 AI Key</source>
        <translation>請先在設定中儲存 AI Key</translation>
    </message>
    <message>
        <source>已取消截图</source>
        <translation>已取消截圖</translation>
    </message>
    <message>
        <source>识别失败</source>
        <translation>辨識失敗</translation>
    </message>
    <message>
        <source>识别失败：%@</source>
        <translation>辨識失敗：%@</translation>
    </message>
    <message>
        <source>未识别到文字</source>
        <translation>未辨識到文字</translation>
    </message>
    <message>
        <source>AI 润色失败</source>
        <translation>AI 潤飾失敗</translation>
    </message>
    <message>
        <source>AI 润色失败：%@</source>
        <translation>AI 潤飾失敗：%@</translation>
    </message>
    <message>
        <source>请先保存 AI Key。</source>
        <translation>請先儲存 AI Key。</translation>
    </message>
    <message>
        <source>复制到剪贴板失败</source>
        <translation>無法複製到剪貼簿</translation>
    </message>
    <message>
        <source>已复制识别文字</source>
        <translation>已複製辨識出的文字</translation>
    </message>
    <message>
        <source>已复制润色文字</source>
        <translation>已複製潤飾後的文字</translation>
    </message>
    <message>
        <source>识别成功，已复制到剪贴板</source>
        <translation>辨識成功，已複製到剪貼簿</translation>
    </message>
    <message>
        <source>润色完成，已复制到剪贴板</source>
        <translation>潤飾完成，已複製到剪貼簿</translation>
    </message>
    <message numerus="yes">
        <source>%d 个字 · 按 ⌘V 粘贴</source>
        <translation>
            <numerusform>%d 個字 · 按 Ctrl+V 貼上</numerusform>
        </translation>
    </message>
    <message>
        <source>快捷键已被占用，请重新录制。</source>
        <translation>快捷鍵已被佔用，請重新錄製。</translation>
    </message>
    <message>
        <source>Vellora 快捷键注册失败，可从菜单启动</source>
        <translation>Vellora 快捷鍵註冊失敗，可從選單啟動</translation>
    </message>
    <message>
        <source>请先在系统设置的“录屏与系统录音”中允许当前应用，再重新打开应用。</source>
        <translation>Vellora 無法擷取螢幕畫面。請先在系統設定中允許 Vellora 擷取螢幕（或改用 X11 工作階段），再重新開啟應用程式。</translation>
    </message>
    <message>
        <source>截图选区正在进行，请先完成或按 Esc 取消。</source>
        <translation>正在選取截圖範圍，請先完成或按 Esc 取消。</translation>
    </message>
    <message>
        <source>截图无法读取或超过 4000 万像素，请选择更小的区域。</source>
        <translation>截圖無法讀取或超過 4000 萬像素，請選取較小的範圍。</translation>
    </message>
    <message>
        <source>截图像素解码失败，请重试。</source>
        <translation>截圖像素解碼失敗，請再試一次。</translation>
    </message>
    <message>
        <source>AI 地址必须是 HTTPS API 根地址。</source>
        <translation>AI 服務網址必須是 HTTPS API 根網址。</translation>
    </message>
    <message>
        <source>请先填写模型并保存 API Key。</source>
        <translation>請先填寫模型並儲存 API Key。</translation>
    </message>
    <message>
        <source>AI 地址无效。</source>
        <translation>AI 服務網址無效。</translation>
    </message>
    <message>
        <source>AI 服务请求失败（HTTP %d）。</source>
        <translation>AI 服務請求失敗（HTTP %d）。</translation>
    </message>
    <message>
        <source>AI 服务未返回文字。</source>
        <translation>AI 服務未傳回文字。</translation>
    </message>
    <message>
        <source>API Key 含有控制字符，请重新保存。</source>
        <translation>API Key 含有控制字元，請重新儲存。</translation>
    </message>
    <message>
        <source>钥匙串已锁定，请先解锁后重试。</source>
        <translation>鑰匙圈已鎖定，請先解鎖後重試。</translation>
    </message>
    <message>
        <source>保存密钥失败：%@</source>
        <translation>無法儲存金鑰：%@</translation>
    </message>
    <message>
        <source>配置已被其它设备或程序修改，请重新加载后再编辑。</source>
        <translation>設定檔已被其他裝置或程式修改，請重新載入後再編輯。</translation>
    </message>
    <message>
        <source>iCloud 配置存在冲突版本，请在访达中处理后重新加载。</source>
        <translation>雲端設定檔有衝突的版本，請在檔案管理員中處理後重新載入。</translation>
    </message>
    <message>
        <source>配置文件暂不可用。</source>
        <translation>設定檔暫時無法使用。</translation>
    </message>
    <message>
        <source>配置文件超过 5 MB。</source>
        <translation>設定檔超過 5 MB。</translation>
    </message>
    <message>
        <source>配置文件的格式不正确。</source>
        <translation>設定檔的格式不正確。</translation>
    </message>
    <message>
        <source>仅保存在本机</source>
        <translation>僅儲存在本機</translation>
    </message>
    <message>
        <source>已启用 iCloud 同步</source>
        <translation>已啟用雲端同步</translation>
    </message>
    <message>
        <source>已同步到 iCloud</source>
        <translation>已同步到雲端硬碟</translation>
    </message>
    <message>
        <source>已从 iCloud 同步</source>
        <translation>已從雲端硬碟同步</translation>
    </message>
    <message>
        <source>等待 iCloud 配置下载；不会覆盖云端文件。</source>
        <translation>正在等待雲端設定檔下載；不會覆寫雲端檔案。</translation>
    </message>
    <message>
        <source>未找到 iCloud Drive，请先在系统设置中开启。</source>
        <translation>找不到雲端硬碟資料夾，請先設定 Nextcloud、Dropbox、Syncthing 或 OneDrive。</translation>
    </message>
    <message>
        <source>iCloud 配置不可用：%@</source>
        <translation>雲端設定無法使用：%@</translation>
    </message>
    <message>
        <source>iCloud 配置暂不可用：%@</source>
        <translation>雲端設定暫時無法使用：%@</translation>
    </message>
    <message>
        <source>iCloud 保存失败：%@</source>
        <translation>無法儲存到雲端硬碟：%@</translation>
    </message>
    <message>
        <source>iCloud 中已有 Vellora 配置</source>
        <translation>雲端硬碟中已有 Vellora 設定</translation>
    </message>
    <message>
        <source>选择要保留的配置。API Key、授权和屏幕录制权限不会同步。</source>
        <translation>選擇要保留的設定。API Key、授權和螢幕錄製權限不會同步。</translation>
    </message>
    <message>
        <source>使用 iCloud 配置</source>
        <translation>使用雲端設定</translation>
    </message>
    <message>
        <source>用当前配置替换 iCloud</source>
        <translation>以目前設定取代雲端設定</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>通用</source>
        <translation>一般</translation>
    </message>
    <message>
        <source>AI 润色</source>
        <translation>AI 潤飾</translation>
    </message>
    <message>
        <source>外观</source>
        <translation>外觀</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>屏幕录制权限</source>
        <translation>螢幕錄製權限</translation>
    </message>
    <message>
        <source>已允许截取屏幕</source>
        <translation>已允許擷取螢幕畫面</translation>
    </message>
    <message>
        <source>尚未允许截取屏幕</source>
        <translation>尚未允許擷取螢幕畫面</translation>
    </message>
    <message>
        <source>此桌面无需屏幕录制授权</source>
        <translation>此桌面無需螢幕錄製授權</translation>
    </message>
    <message>
        <source>此桌面会在截图时询问是否允许，没有可打开的权限设置。</source>
        <translation>此桌面會在截圖時詢問是否允許，沒有可開啟的權限設定。</translation>
    </message>
    <message>
        <source>Vellora 只截取你框选的区域，在本机识别文字。</source>
        <translation>Vellora 只擷取你框選的範圍，並在本機辨識文字。</translation>
    </message>
    <message>
        <source>打开权限设置</source>
        <translation>開啟權限設定</translation>
    </message>
    <message>
        <source>授权后若系统提示，请退出并重新打开 Vellora。</source>
        <translation>授權後若系統提示，請結束並重新開啟 Vellora。</translation>
    </message>
    <message>
        <source>截图权限指南（简体中文）</source>
        <translation>截圖權限指南（簡體中文）</translation>
    </message>
    <message>
        <source>入口</source>
        <translation>入口</translation>
    </message>
    <message>
        <source>隐藏菜单栏图标</source>
        <translation>隱藏系統匣圖示</translation>
    </message>
    <message>
        <source>隐藏 Dock 图标</source>
        <translation>隱藏工作列項目</translation>
    </message>
    <message>
        <source>同时隐藏后，可从“应用程序”重新打开 Vellora 进入设置；截图快捷键仍可使用。</source>
        <translation>兩者都隱藏後，可從應用程式選單再次開啟 Vellora 進入設定；截圖快捷鍵仍可使用。</translation>
    </message>
    <message>
        <source>语言与同步</source>
        <translation>語言與同步</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>語言</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>跟隨系統</translation>
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
        <translation>透過雲端硬碟同步設定</translation>
    </message>
    <message>
        <source>同步语言、外观、图标显示、快捷键和 AI 服务设置。API Key、授权和屏幕录制权限仍保存在各台 Mac。</source>
        <translation>同步語言、外觀、圖示顯示、快捷鍵和 AI 服務設定。API Key、授權和螢幕錄製權限仍保存在各台電腦。</translation>
    </message>
    <message>
        <source>截图快捷键</source>
        <translation>截圖快捷鍵</translation>
    </message>
    <message>
        <source>录制快捷键</source>
        <translation>錄製快捷鍵</translation>
    </message>
    <message>
        <source>取消录制</source>
        <translation>取消錄製</translation>
    </message>
    <message>
        <source>快捷键由 X11 直接注册。</source>
        <translation>快捷鍵由 X11 直接註冊。</translation>
    </message>
    <message>
        <source>快捷键通过桌面的全局快捷键门户注册，桌面可能会请你确认。</source>
        <translation>快捷鍵透過桌面的全域快捷鍵入口註冊，桌面可能會請你確認。</translation>
    </message>
    <message>
        <source>此桌面没有全局快捷键门户：请在系统键盘设置中添加自定义快捷键，运行以下命令（识字并复制、识字并 AI 润色）：</source>
        <translation>此桌面沒有全域快捷鍵入口：請在系統鍵盤設定中新增自訂快捷鍵，執行以下指令（識字並複製、識字並 AI 潤色）：</translation>
    </message>
    <message>
        <source>界面模式</source>
        <translation>介面模式</translation>
    </message>
    <message>
        <source>浅色</source>
        <translation>淺色</translation>
    </message>
    <message>
        <source>深色</source>
        <translation>深色</translation>
    </message>
    <message>
        <source>软件更新</source>
        <translation>軟體更新</translation>
    </message>
    <message>
        <source>自动检查更新</source>
        <translation>自動檢查更新</translation>
    </message>
    <message>
        <source>查看完整更新日志</source>
        <translation>查看完整更新紀錄</translation>
    </message>
    <message>
        <source>OpenAI 兼容服务</source>
        <translation>OpenAI 相容服務</translation>
    </message>
    <message>
        <source>API 根地址</source>
        <translation>API 根網址</translation>
    </message>
    <message>
        <source>模型</source>
        <translation>模型</translation>
    </message>
    <message>
        <source>对已知支持的模型，润色请求会自动关闭思考以缩短等待。</source>
        <translation>對已知支援的模型，潤飾請求會自動關閉思考以縮短等待時間。</translation>
    </message>
    <message>
        <source>已保存 API Key；输入新值可替换</source>
        <translation>已儲存 API Key；輸入新值即可取代</translation>
    </message>
    <message>
        <source>API Key</source>
        <translation>API Key</translation>
    </message>
    <message>
        <source>保存密钥</source>
        <translation>儲存金鑰</translation>
    </message>
    <message>
        <source>删除密钥</source>
        <translation>刪除金鑰</translation>
    </message>
    <message>
        <source>已存储在本机钥匙串</source>
        <translation>已儲存在本機鑰匙圈</translation>
    </message>
    <message>
        <source>测试中…</source>
        <translation>測試中…</translation>
    </message>
    <message>
        <source>测试连接</source>
        <translation>測試連線</translation>
    </message>
    <message>
        <source>连接成功</source>
        <translation>連線成功</translation>
    </message>
    <message>
        <source>连接失败：%@</source>
        <translation>連線失敗：%@</translation>
    </message>
    <message>
        <source>请先保存 API Key。</source>
        <translation>請先儲存 API Key。</translation>
    </message>
    <message>
        <source>润色提示词</source>
        <translation>潤飾提示詞</translation>
    </message>
    <message>
        <source>API 根地址超过 2048 个字符，多出的部分已删去。</source>
        <translation>API 根網址超過 2048 個字元，多出的部分已刪去。</translation>
    </message>
    <message>
        <source>模型名称超过 256 个字符，多出的部分已删去。</source>
        <translation>模型名稱超過 256 個字元，多出的部分已刪去。</translation>
    </message>
    <message>
        <source>润色提示词超过 20000 个字符，多出的部分已删去。</source>
        <translation>潤飾提示詞超過 20000 個字元，多出的部分已刪去。</translation>
    </message>
    <message>
        <source>从菜单选择“选区识字并 AI 润色”时，识别文字会发送到配置的 AI 服务；普通识字始终在本机完成。</source>
        <translation>從選單選擇「選取範圍辨識並以 AI 潤飾」時，辨識出的文字會傳送到設定的 AI 服務；一般辨識一律在本機完成。</translation>
    </message>
    <message>
        <source>删除 AI 服务密钥？</source>
        <translation>要刪除 AI 服務金鑰嗎？</translation>
    </message>
    <message>
        <source>下次使用 AI 润色前，需要重新保存此服务的 API Key。</source>
        <translation>下次使用 AI 潤飾前，需要重新儲存此服務的 API Key。</translation>
    </message>
    <message>
        <source>按下含 ⌘、⌃ 或 ⌥ 的快捷键；Esc 取消</source>
        <translation>按下含 Super、Ctrl 或 Alt 的快捷鍵；Esc 取消</translation>
    </message>
    <message>
        <source>请包含 ⌘、⌃ 或 ⌥，避免覆盖普通输入</source>
        <translation>請包含 Super、Ctrl 或 Alt，以免蓋過一般輸入</translation>
    </message>
    <message>
        <source>按键 %d</source>
        <translation>按鍵 %d</translation>
    </message>
    <message>
        <source>正在准备重启…</source>
        <translation>正在準備重新啟動…</translation>
    </message>
    <message>
        <source>版本 %@（%@）</source>
        <translation>版本 %@（%@）</translation>
    </message>
    <message>
        <source>开发版不自动更新</source>
        <translation>開發版不會自動更新</translation>
    </message>
    <message>
        <source>自动提示新版已开启</source>
        <translation>已開啟自動提示新版本</translation>
    </message>
    <message>
        <source>自动提示新版已关闭</source>
        <translation>已關閉自動提示新版本</translation>
    </message>
    <message>
        <source>正在检查更新…</source>
        <translation>正在檢查更新…</translation>
    </message>
    <message>
        <source>已经是最新版本</source>
        <translation>目前已是最新版本</translation>
    </message>
    <message>
        <source>发现新版本 %@</source>
        <translation>發現新版本 %@</translation>
    </message>
    <message>
        <source>正在下载 %@…</source>
        <translation>正在下載 %@…</translation>
    </message>
    <message>
        <source>%@ 已下载，等待重启</source>
        <translation>%@ 已下載，等待重新啟動</translation>
    </message>
    <message>
        <source>下载更新</source>
        <translation>下載更新</translation>
    </message>
    <message>
        <source>重启并更新</source>
        <translation>重新啟動並更新</translation>
    </message>
    <message>
        <source>检查更新</source>
        <translation>檢查更新</translation>
    </message>
    <message>
        <source>开发版不检查正式更新。</source>
        <translation>開發版不檢查正式更新。</translation>
    </message>
    <message>
        <source>%@ 已经是最新版本。</source>
        <translation>%@ 已是最新版本。</translation>
    </message>
    <message>
        <source>检查更新失败：%@</source>
        <translation>檢查更新失敗：%@</translation>
    </message>
    <message>
        <source>%@ %@ 可更新</source>
        <translation>%@ %@ 可更新</translation>
    </message>
    <message>
        <source>可以现在下载。下载并校验完成后，应用会询问是否重启完成更新。</source>
        <translation>可以立即下載。完成下載與驗證後，App 會詢問是否重新啟動以完成更新。</translation>
    </message>
    <message>
        <source>稍后</source>
        <translation>稍後</translation>
    </message>
    <message>
        <source>下载更新失败：%@</source>
        <translation>下載更新失敗：%@</translation>
    </message>
    <message>
        <source>%@ %@ 已准备好</source>
        <translation>%@ %@ 已準備好</translation>
    </message>
    <message>
        <source>重启应用即可完成更新。</source>
        <translation>重新啟動 App 即可完成更新。</translation>
    </message>
    <message>
        <source>无法启动更新：%@</source>
        <translation>無法啟動更新：%@</translation>
    </message>
    <message>
        <source>好</source>
        <translation>好</translation>
    </message>
    <message>
        <source>更新包已损坏，请重新下载。</source>
        <translation>更新套件已損毀，請重新下載。</translation>
    </message>
    <message>
        <source>更新包未通过开发者签名或公证校验。</source>
        <translation>更新套件未通過開發者簽章或公證驗證。</translation>
    </message>
    <message>
        <source>更新清单版本不受支持。</source>
        <translation>不支援此更新清單版本。</translation>
    </message>
    <message>
        <source>更新包不属于当前应用。</source>
        <translation>更新套件不屬於目前的 App。</translation>
    </message>
    <message>
        <source>更新版本信息无效。</source>
        <translation>更新版本資訊無效。</translation>
    </message>
    <message>
        <source>更新下载地址无效。</source>
        <translation>更新下載位址無效。</translation>
    </message>
    <message>
        <source>更新包校验值无效。</source>
        <translation>更新套件檢查碼無效。</translation>
    </message>
</context>
</TS>
