#include "OcrTexts.h"

namespace OcrTexts {

QStringList half(const QStringList &list, Half which) {
    QStringList out;
    for (qsizetype i = which == Half::Tuning ? 0 : 1; i < list.size(); i += 2)
        out << list.at(i);
    return out;
}

const QStringList simplifiedSentences = {
    QStringLiteral("按下快捷键后拖动鼠标框选屏幕上的区域，识别出的文字会自动复制到剪贴板。"),
    QStringLiteral("所有识别都在本机完成，图片不会上传到任何服务器。"),
    QStringLiteral("如果识别结果有错别字，可以使用 AI 润色功能进行修正。"),
    QStringLiteral("设置窗口中可以修改服务地址、模型名称和润色提示词。"),
    QStringLiteral("开启云同步后，配置文件会保存在云盘的应用文件夹里。"),
    QStringLiteral("我们在周五下午三点开会讨论下一个版本的发布计划。"),
    QStringLiteral("请在提交之前确认所有测试都已通过，并更新变更日志。"),
    QStringLiteral("这个问题通常是由于网络连接不稳定造成的，请稍后重试。"),
    QStringLiteral("新版本改进了中英文混排文本的识别准确率。"),
    QStringLiteral("会议纪要已经整理完毕，发送给了所有参会人员。"),
    QStringLiteral("春天来了，公园里的花都开了，到处都是散步的人。"),
    QStringLiteral("由于天气原因，原定于明天的户外活动改为线上进行。"),
    QStringLiteral("数据表明，用户最常用的功能是截图识字和一键复制。"),
    QStringLiteral("为了保护隐私，密钥只保存在系统的钥匙串中。"),
    QStringLiteral("这本书讲述了一个普通人在大城市里奋斗的故事。"),
    QStringLiteral("检查更新时会验证安装包的签名，确保文件没有被篡改。"),
    QStringLiteral("近年来，越来越多的年轻人选择在周末去郊外徒步。"),
    QStringLiteral("这家餐厅的招牌菜是红烧肉，每天中午都要排队。"),
    QStringLiteral("请勿在公共场所大声喧哗，保持环境整洁是每个人的责任。"),
    QStringLiteral("他说这件事需要再考虑一下，明天给我们答复。"),
    QStringLiteral("本次更新修复了若干已知问题，并提升了运行速度。"),
    QStringLiteral("学校图书馆周一至周五开放，周末只开放阅览室。"),
    QStringLiteral("经过三个月的努力，项目终于按时交付了。"),
    QStringLiteral("点击右上角的头像，可以进入个人中心修改资料。"),
    QStringLiteral("这座城市的地铁线路四通八达，出行非常方便。"),
    QStringLiteral("请将发票和报销单一起交给财务部门审核。"),
    QStringLiteral("她从小就喜欢画画，现在已经是一名专业的插画师了。"),
    QStringLiteral("系统检测到您的账号在另一台设备上登录。"),
    QStringLiteral("为避免数据丢失，建议定期备份重要文件。"),
    QStringLiteral("小明今天早上起得很晚，差点没赶上公交车。"),
    QStringLiteral("该功能目前处于测试阶段，欢迎反馈使用体验。"),
    QStringLiteral("长江是中国最长的河流，全长约六千三百公里。"),
    QStringLiteral("晚饭后我们一起去江边散步，看见了很多放风筝的孩子。"),
    QStringLiteral("如需帮助，请拨打客服热线或在线留言。"),
    QStringLiteral("这款手机的电池续航时间比上一代长了两个小时。"),
    QStringLiteral("读书使人充实，讨论使人机智，写作使人准确。"),
    QStringLiteral("明天上午九点在三楼会议室进行季度总结。"),
    QStringLiteral("快递已经到达您所在的城市，正在派送中。"),
    QStringLiteral("这段代码的作用是把用户输入的日期转换成时间戳。"),
    QStringLiteral("请输入验证码，验证码将在五分钟后失效。"),
};

const QStringList traditionalSentences = {
    QStringLiteral("按下快捷鍵後拖動滑鼠框選螢幕上的區域，辨識出的文字會自動複製到剪貼簿。"),
    QStringLiteral("所有辨識都在本機完成，圖片不會上傳到任何伺服器。"),
    QStringLiteral("如果辨識結果有錯別字，可以使用潤飾功能進行修正。"),
    QStringLiteral("設定視窗中可以修改服務位址、模型名稱和提示詞。"),
    QStringLiteral("我們在星期五下午三點開會討論下一個版本的發佈計畫。"),
    QStringLiteral("請在提交之前確認所有測試都已通過，並更新變更紀錄。"),
    QStringLiteral("這個問題通常是由於網路連線不穩定造成的，請稍後再試。"),
    QStringLiteral("會議紀錄已經整理完畢，寄給了所有與會人員。"),
    QStringLiteral("春天來了，公園裡的花都開了，到處都是散步的人。"),
    QStringLiteral("由於天氣因素，原定於明天的戶外活動改為線上進行。"),
    QStringLiteral("為了保護隱私，金鑰只儲存在系統的鑰匙圈中。"),
    QStringLiteral("這本書講述了一個普通人在大城市裡奮鬥的故事。"),
    QStringLiteral("近年來，越來越多的年輕人選擇在週末到郊外健行。"),
    QStringLiteral("這家餐廳的招牌菜是紅燒肉，每天中午都要排隊。"),
    QStringLiteral("請勿在公共場所大聲喧嘩，維護環境整潔是每個人的責任。"),
    QStringLiteral("他說這件事需要再考慮一下，明天給我們答覆。"),
    QStringLiteral("本次更新修正了若干已知問題，並提升了執行速度。"),
    QStringLiteral("學校圖書館週一至週五開放，週末只開放閱覽室。"),
    QStringLiteral("經過三個月的努力，專案終於如期交付了。"),
    QStringLiteral("點選右上角的頭像，可以進入個人中心修改資料。"),
    QStringLiteral("這座城市的捷運路線四通八達，交通非常便利。"),
    QStringLiteral("請將發票和報帳單一起交給財務部門審核。"),
    QStringLiteral("她從小就喜歡畫畫，現在已經是一名專業的插畫家了。"),
    QStringLiteral("系統偵測到您的帳號在另一台裝置上登入。"),
    QStringLiteral("為避免資料遺失，建議定期備份重要檔案。"),
    QStringLiteral("小明今天早上起得很晚，差點沒趕上公車。"),
    QStringLiteral("該功能目前處於測試階段，歡迎回饋使用心得。"),
    QStringLiteral("臺灣的高山眾多，玉山是東北亞最高的山峰。"),
    QStringLiteral("晚餐後我們一起去河濱散步，看見了很多放風箏的孩子。"),
    QStringLiteral("如需協助，請撥打客服專線或線上留言。"),
    QStringLiteral("這款手機的電池續航時間比上一代長了兩個小時。"),
    QStringLiteral("讀書使人充實，討論使人機智，寫作使人精確。"),
    QStringLiteral("明天上午九點在三樓會議室進行季度總結。"),
    QStringLiteral("包裹已經抵達您所在的縣市，正在配送中。"),
    QStringLiteral("這段程式碼的作用是把使用者輸入的日期轉換成時間戳記。"),
    QStringLiteral("請輸入驗證碼，驗證碼將在五分鐘後失效。"),
    QStringLiteral("颱風即將登陸，請民眾做好防颱準備並注意安全。"),
    QStringLiteral("這間書店開了將近四十年，是許多人共同的回憶。"),
    QStringLiteral("下載完成後請重新啟動應用程式，以套用新的設定。"),
    QStringLiteral("夜市裡的滷肉飯和珍珠奶茶是觀光客最愛的小吃。"),
};

const QStringList englishSentences = {
    QStringLiteral("Press the shortcut and drag over the part of the screen you want to read."),
    QStringLiteral("Recognition runs entirely on this computer; nothing is uploaded."),
    QStringLiteral("The recognised text is copied to the clipboard automatically."),
    QStringLiteral("Please review the pull request before Friday afternoon."),
    QStringLiteral("Our quarterly report shows steady growth in every region."),
    QStringLiteral("If the connection drops, the download resumes where it stopped."),
    QStringLiteral("The quick brown fox jumps over the lazy dog near the river bank."),
    QStringLiteral("Settings are synchronised through a JSON file in your cloud drive."),
    QStringLiteral("Version numbers follow the usual major, minor and patch scheme."),
    QStringLiteral("Keep your API key secret and rotate it when a colleague leaves."),
    QStringLiteral("The meeting has been moved to Thursday at 10:30 in room 4B."),
    QStringLiteral("Your password must contain at least twelve characters."),
    QStringLiteral("We couldn't save your changes because the file is read-only."),
    QStringLiteral("Tap Allow to let the app access your photos and videos."),
    QStringLiteral("Shipping is free on orders over $50 within the continental US."),
    QStringLiteral("This function returns null when the key is not found."),
    QStringLiteral("Back up your data regularly to avoid losing important work."),
    QStringLiteral("The museum is open daily from 9 a.m. to 5 p.m., except Mondays."),
    QStringLiteral("Thanks for your feedback! We'll look into it right away."),
    QStringLiteral("An update is available. Restart the application to install it."),
    QStringLiteral("She walked along the quiet street as the lights came on one by one."),
    QStringLiteral("Select the files you want to share, then choose a destination."),
    QStringLiteral("Temperatures will drop sharply overnight, with frost in the valleys."),
    QStringLiteral("The build failed because two tests timed out on the CI runner."),
    QStringLiteral("Click Save to keep a copy, or Discard to close without saving."),
    QStringLiteral("Most users read the first line of an error message and nothing else."),
    QStringLiteral("Your subscription renews on 14 March; cancel any time before then."),
    QStringLiteral("Large images are resized before they are sent to the printer."),
    QStringLiteral("The library closes early on public holidays and during exams."),
    QStringLiteral("Enable two-factor authentication to protect your account."),
};

const QStringList codeLines = {
    QStringLiteral("for (int i = 0; i < count; ++i) {"),
    QStringLiteral("    total += values[i] * weight;"),
    QStringLiteral("if (result.ok() && !text.isEmpty())"),
    QStringLiteral("return QStringLiteral(\"zh-Hans\");"),
    QStringLiteral("const auto path = dir.filePath(\"config.json\");"),
    QStringLiteral("def parse(line: str) -> dict[str, int]:"),
    QStringLiteral("    return {k: int(v) for k, v in pairs}"),
    QStringLiteral("git commit -m \"Fix the retry\" && git push"),
    QStringLiteral("SELECT name, price FROM items WHERE id = 42;"),
    QStringLiteral("let total = items.map(x => x.price).sum();"),
    QStringLiteral("curl -s https://api.example.com/v1/models | jq ."),
    QStringLiteral("#include <QString> // text"),
    QStringLiteral("std::vector<int> sizes{12, 16, 28};"),
    QStringLiteral("export PATH=$HOME/.local/bin:$PATH"),
    QStringLiteral("while read -r line; do echo \"$line\"; done < input.txt"),
    QStringLiteral("fn main() { println!(\"Hello, world!\"); }"),
    QStringLiteral("const [state, setState] = useState(null);"),
    QStringLiteral("docker run --rm -p 8080:80 nginx:stable"),
    QStringLiteral("    except ValueError as error:"),
    QStringLiteral("public static void main(String[] args) {"),
    QStringLiteral("UPDATE users SET active = 0 WHERE last_login < '2023-01-01';"),
    QStringLiteral("import numpy as np"),
    QStringLiteral("    self.assertEqual(result, [1, 2, 3])"),
    QStringLiteral("ssh -i ~/.ssh/id_ed25519 deploy@10.0.0.12"),
    QStringLiteral("if err != nil { return fmt.Errorf(\"open: %w\", err) }"),
    QStringLiteral("<div class=\"card\" id=\"main\">"),
    QStringLiteral("npm install --save-dev eslint@8"),
    QStringLiteral("x = [i ** 2 for i in range(10) if i % 2]"),
};

const QStringList mixedLinesTraditional = {
    QStringLiteral("訂單編號 TW-88213，總金額 NT$2,450"),
    QStringLiteral("請至 https://example.com.tw/help 查詢"),
    QStringLiteral("溫度 23°C，濕度 68%，降雨機率 30%"),
    QStringLiteral("用 pip install requests 安裝套件"),
    QStringLiteral("客服時間：週一至週五 9:00–18:00"),
    QStringLiteral("版本 v3.0.2 已於 2024 年 6 月 3 日發佈"),
    QStringLiteral("伺服器 10.0.0.5:443 回應時間 48 ms"),
    QStringLiteral("下載速度 8.2 MB/s，剩餘 5 分鐘"),
    QStringLiteral("請寄信到 service@example.com.tw 聯絡我們"),
    QStringLiteral("記憶體 3.1 GB / 8 GB，CPU 使用率 22%"),
    QStringLiteral("開啟 Settings > Privacy 調整權限"),
    QStringLiteral("第 5 章 JavaScript 基礎（共 9 節）"),
};

const QStringList codeCommentsSimplified = {
    QStringLiteral("// 计算总价，包含运费"),   QStringLiteral("# 读取配置文件"),
    QStringLiteral("// 如果用户未登录则跳转到首页"), QStringLiteral("/* 初始化数据库连接 */"),
    QStringLiteral("# 每隔五秒重试一次"),       QStringLiteral("// 清理临时文件"),
    QStringLiteral("// TODO: 支持更多语言"),    QStringLiteral("# 统计每天的访问量"),
};

const QStringList codeCommentsTraditional = {
    QStringLiteral("# 這裡處理例外情況"),     QStringLiteral("// 將結果寫入快取"),
    QStringLiteral("# 轉換日期格式"),         QStringLiteral("// 檢查使用者是否已登入"),
    QStringLiteral("/* 建立資料庫連線 */"),   QStringLiteral("# 每五秒重試一次"),
    QStringLiteral("// 刪除暫存檔案"),       QStringLiteral("// TODO: 支援更多語言"),
};

const QStringList mixedLinesSimplified = {
    QStringLiteral("订单号 20240517-0931，金额 ¥1,280.50"),
    QStringLiteral("请访问 https://example.com/docs/ocr 查看文档"),
    QStringLiteral("联系邮箱：support@example.com"),
    QStringLiteral("版本 v2.3.1 已于 2024 年 5 月 17 日发布"),
    QStringLiteral("使用 DeepSeek 模型 deepseek-chat 进行润色"),
    QStringLiteral("服务器 192.168.1.20:8080 响应时间 35 ms"),
    QStringLiteral("下载速度 12.5 MB/s，剩余 3 分钟"),
    QStringLiteral("发送到 li.wei@company.cn 和 team@example.org"),
    QStringLiteral("电话 010-6552 3388，传真 010-6552 3399"),
    QStringLiteral("CPU 占用 37%，内存 2.4 GB / 16 GB"),
    QStringLiteral("打开 Settings > General 修改快捷键 Ctrl+Shift+2"),
    QStringLiteral("第 3 章 Python 入门（共 12 节）"),
    QStringLiteral("API 地址：https://api.deepseek.com/v1"),
    QStringLiteral("会议时间 14:30–15:00，会议室 B-204"),
    QStringLiteral("iPhone 15 Pro 售价 7999 元起"),
    QStringLiteral("航班 CA1234 于 08:45 从北京起飞"),
    QStringLiteral("共 128 条结果，第 1/13 页"),
    QStringLiteral("文件大小 3.7 MB，上传于 2 小时前"),
    QStringLiteral("运行 npm run build 生成 dist 目录"),
    QStringLiteral("在 GitHub 上有 1.2k 个 Star"),
    QStringLiteral("折扣码 SPRING20 可减 20 元"),
};

const QStringList menuItemsSimplified = {
    QStringLiteral("新建窗口"),     QStringLiteral("打开…"),       QStringLiteral("最近打开"),
    QStringLiteral("保存"),         QStringLiteral("另存为…"),     QStringLiteral("打印…"),
    QStringLiteral("撤销"),         QStringLiteral("重做"),         QStringLiteral("剪切"),
    QStringLiteral("复制"),         QStringLiteral("粘贴"),         QStringLiteral("全选"),
    QStringLiteral("查找和替换"),   QStringLiteral("显示隐藏文件"), QStringLiteral("放大"),
    QStringLiteral("缩小"),         QStringLiteral("全屏显示"),     QStringLiteral("偏好设置…"),
    QStringLiteral("检查更新"),     QStringLiteral("关于本软件"),   QStringLiteral("退出"),
    QStringLiteral("复制链接地址"), QStringLiteral("在新标签页中打开"), QStringLiteral("重命名"),
};

const QStringList menuItemsTraditional = {
    QStringLiteral("開新視窗"), QStringLiteral("開啟舊檔…"), QStringLiteral("最近使用的檔案"),
    QStringLiteral("儲存"),     QStringLiteral("另存新檔…"), QStringLiteral("列印…"),
    QStringLiteral("復原"),     QStringLiteral("重做"),       QStringLiteral("剪下"),
    QStringLiteral("拷貝"),     QStringLiteral("貼上"),       QStringLiteral("全選"),
    QStringLiteral("尋找與取代"), QStringLiteral("顯示隱藏檔案"), QStringLiteral("放大"),
    QStringLiteral("縮小"),     QStringLiteral("全螢幕顯示"), QStringLiteral("偏好設定…"),
    QStringLiteral("檢查更新"), QStringLiteral("關於本軟體"), QStringLiteral("結束"),
    QStringLiteral("複製連結網址"), QStringLiteral("在新分頁中開啟"), QStringLiteral("重新命名"),
};

const QStringList menuItemsEnglish = {
    QStringLiteral("New Window"),   QStringLiteral("Open…"),        QStringLiteral("Open Recent"),
    QStringLiteral("Save"),         QStringLiteral("Save As…"),     QStringLiteral("Print…"),
    QStringLiteral("Undo"),         QStringLiteral("Redo"),         QStringLiteral("Cut"),
    QStringLiteral("Copy"),         QStringLiteral("Paste"),        QStringLiteral("Select All"),
    QStringLiteral("Find and Replace"), QStringLiteral("Show Hidden Files"), QStringLiteral("Zoom In"),
    QStringLiteral("Zoom Out"),     QStringLiteral("Enter Full Screen"), QStringLiteral("Preferences…"),
    QStringLiteral("Check for Updates"), QStringLiteral("About"), QStringLiteral("Quit"),
    QStringLiteral("Copy Link Address"), QStringLiteral("Open in New Tab"), QStringLiteral("Rename"),
};

const QStringList menuShortcuts = {
    QStringLiteral("Ctrl+N"),       QStringLiteral("Ctrl+O"),       QStringLiteral("Ctrl+S"),
    QStringLiteral("Ctrl+Shift+S"), QStringLiteral("Ctrl+P"),       QStringLiteral("Ctrl+Z"),
    QStringLiteral("Ctrl+Y"),       QStringLiteral("Ctrl+X"),       QStringLiteral("Ctrl+C"),
    QStringLiteral("Ctrl+V"),       QStringLiteral("Ctrl+A"),       QStringLiteral("Ctrl+H"),
    QStringLiteral("Ctrl++"),       QStringLiteral("Ctrl+-"),       QStringLiteral("F11"),
    QStringLiteral("Ctrl+,"),       QStringLiteral("F5"),           QStringLiteral("Alt+F4"),
    QStringLiteral("Ctrl+Q"),       QStringLiteral("Ctrl+Shift+T"), QStringLiteral("F2"),
    QStringLiteral("Shift+Del"),
};

const QStringList settingLabelsSimplified = {
    QStringLiteral("通用"),     QStringLiteral("快捷键"),       QStringLiteral("界面语言"),
    QStringLiteral("外观"),     QStringLiteral("服务地址"),     QStringLiteral("模型"),
    QStringLiteral("自动检查更新"), QStringLiteral("云同步"),   QStringLiteral("隐藏菜单栏图标"),
    QStringLiteral("开机时启动"), QStringLiteral("显示通知"),   QStringLiteral("下载位置"),
    QStringLiteral("字体大小"), QStringLiteral("代理服务器"),   QStringLiteral("发送使用统计"),
    QStringLiteral("记住窗口位置"),
};

const QStringList settingLabelsTraditional = {
    QStringLiteral("一般"),     QStringLiteral("快速鍵"),       QStringLiteral("介面語言"),
    QStringLiteral("外觀"),     QStringLiteral("服務位址"),     QStringLiteral("模型"),
    QStringLiteral("自動檢查更新"), QStringLiteral("雲端同步"), QStringLiteral("隱藏選單列圖示"),
    QStringLiteral("開機時啟動"), QStringLiteral("顯示通知"),   QStringLiteral("下載位置"),
    QStringLiteral("字型大小"), QStringLiteral("代理伺服器"),   QStringLiteral("傳送使用統計"),
    QStringLiteral("記住視窗位置"),
};

const QStringList settingLabelsEnglish = {
    QStringLiteral("General"),      QStringLiteral("Shortcut"),     QStringLiteral("Language"),
    QStringLiteral("Appearance"),   QStringLiteral("Service URL"),  QStringLiteral("Model"),
    QStringLiteral("Check for updates automatically"), QStringLiteral("Cloud sync"),
    QStringLiteral("Hide tray icon"), QStringLiteral("Start at login"), QStringLiteral("Show notifications"),
    QStringLiteral("Download folder"), QStringLiteral("Font size"), QStringLiteral("Proxy server"),
    QStringLiteral("Send usage statistics"), QStringLiteral("Remember window position"),
};

const QStringList fieldValuesLatin = {
    QStringLiteral("English"),      QStringLiteral("deepseek-chat"), QStringLiteral("Ctrl+Shift+Super+2"),
    QStringLiteral("https://api.deepseek.com"), QStringLiteral("gpt-4o-mini"), QStringLiteral("~/Downloads"),
    QStringLiteral("14 px"),        QStringLiteral("http://127.0.0.1:7890"), QStringLiteral("v1.4.2"),
    QStringLiteral("Terracotta"),
};
const QStringList fieldValuesSimplified = {
    QStringLiteral("简体中文"), QStringLiteral("跟随系统"), QStringLiteral("已保存"), QStringLiteral("每天"),
    QStringLiteral("深色"),     QStringLiteral("每周"),     QStringLiteral("自动"),   QStringLiteral("默认"),
};
const QStringList fieldValuesTraditional = {
    QStringLiteral("繁體中文"), QStringLiteral("跟隨系統"), QStringLiteral("已儲存"), QStringLiteral("每天"),
    QStringLiteral("深色"),     QStringLiteral("每週"),     QStringLiteral("自動"),   QStringLiteral("預設"),
};

const QStringList buttonsSimplified = {QStringLiteral("取消"), QStringLiteral("确定"), QStringLiteral("保存"),
                                       QStringLiteral("应用"), QStringLiteral("测试连接"), QStringLiteral("关闭"),
                                       QStringLiteral("删除"), QStringLiteral("下一步")};
const QStringList buttonsTraditional = {QStringLiteral("取消"), QStringLiteral("確定"), QStringLiteral("儲存"),
                                        QStringLiteral("套用"), QStringLiteral("測試連線"), QStringLiteral("關閉"),
                                        QStringLiteral("刪除"), QStringLiteral("下一步")};
const QStringList buttonsEnglish = {QStringLiteral("Cancel"), QStringLiteral("OK"), QStringLiteral("Save"),
                                    QStringLiteral("Apply"), QStringLiteral("Test Connection"),
                                    QStringLiteral("Close"), QStringLiteral("Delete"), QStringLiteral("Next")};

const QStringList titlesSimplified = {
    QStringLiteral("偏好设置"), QStringLiteral("新建项目"), QStringLiteral("账户与安全"),
    QStringLiteral("导出报表"), QStringLiteral("网络设置"), QStringLiteral("关于本软件"),
};
const QStringList titlesTraditional = {
    QStringLiteral("偏好設定"), QStringLiteral("新增專案"), QStringLiteral("帳號與安全"),
    QStringLiteral("匯出報表"), QStringLiteral("網路設定"), QStringLiteral("關於本軟體"),
};
const QStringList titlesEnglish = {
    QStringLiteral("Preferences"), QStringLiteral("New Project"), QStringLiteral("Account & Security"),
    QStringLiteral("Export Report"), QStringLiteral("Network Settings"), QStringLiteral("About This App"),
};

const QStringList chatSimplified = {
    QStringLiteral("晚上一起吃饭吗？"),          QStringLiteral("好的，七点在老地方见"),
    QStringLiteral("文件我已经发到你邮箱了"),    QStringLiteral("收到，谢谢！"),
    QStringLiteral("明天的会改到下午两点"),      QStringLiteral("我可能会晚到十分钟"),
    QStringLiteral("这个方案我觉得还可以再改改"), QStringLiteral("周末有空一起去爬山吧"),
    QStringLiteral("记得带伞，下午有雨"),        QStringLiteral("已经到楼下了"),
};
const QStringList chatTraditional = {
    QStringLiteral("晚上一起吃飯嗎？"),          QStringLiteral("好啊，七點在老地方見"),
    QStringLiteral("檔案我已經寄到你信箱了"),    QStringLiteral("收到，謝謝！"),
    QStringLiteral("明天的會議改到下午兩點"),    QStringLiteral("我可能會晚到十分鐘"),
    QStringLiteral("這個提案我覺得還可以再改改"), QStringLiteral("週末有空一起去爬山吧"),
    QStringLiteral("記得帶傘，下午會下雨"),      QStringLiteral("已經到樓下了"),
};
const QStringList chatEnglish = {
    QStringLiteral("Are we still on for lunch?"), QStringLiteral("Yes, see you at noon"),
    QStringLiteral("I sent the slides to your inbox"), QStringLiteral("Got it, thanks!"),
    QStringLiteral("The call moved to 2 pm"),     QStringLiteral("Running ten minutes late"),
    QStringLiteral("Can you check the numbers on page 3?"), QStringLiteral("Sure, give me a minute"),
};

const QStringList tableProductsSimplified = {
    QStringLiteral("显示器"),   QStringLiteral("键盘"),     QStringLiteral("Mouse"),      QStringLiteral("扩展坞"),
    QStringLiteral("耳机"),     QStringLiteral("USB-C 线"), QStringLiteral("笔记本电脑"), QStringLiteral("Webcam"),
    QStringLiteral("路由器"),   QStringLiteral("移动硬盘"), QStringLiteral("麦克风"),     QStringLiteral("Stylus"),
};
const QStringList tableProductsTraditional = {
    QStringLiteral("顯示器"),   QStringLiteral("鍵盤"),     QStringLiteral("Mouse"),      QStringLiteral("擴充座"),
    QStringLiteral("耳機"),     QStringLiteral("USB-C 線"), QStringLiteral("筆記型電腦"), QStringLiteral("Webcam"),
    QStringLiteral("路由器"),   QStringLiteral("外接硬碟"), QStringLiteral("麥克風"),     QStringLiteral("投影機"),
};

const QStringList tableStatusSimplified = {QStringLiteral("已发货"), QStringLiteral("待付款"),
                                           QStringLiteral("已完成"), QStringLiteral("退货"),
                                           QStringLiteral("处理中"), QStringLiteral("已取消")};
const QStringList tableStatusTraditional = {QStringLiteral("已出貨"), QStringLiteral("待付款"),
                                            QStringLiteral("已完成"), QStringLiteral("退貨"),
                                            QStringLiteral("處理中"), QStringLiteral("已取消")};

const QStringList fileNamesSimplified = {
    QStringLiteral("季度报告.xlsx"), QStringLiteral("README.md"), QStringLiteral("会议记录.docx"),
    QStringLiteral("photo_0412.jpg"), QStringLiteral("发票扫描件.pdf"), QStringLiteral("main.cpp"),
    QStringLiteral("预算表.xlsx"), QStringLiteral("backup.tar.gz"), QStringLiteral("合同草稿.docx"),
    QStringLiteral("notes.txt"),
};
const QStringList fileNamesTraditional = {
    QStringLiteral("季度報告.xlsx"), QStringLiteral("README.md"), QStringLiteral("會議紀錄.docx"),
    QStringLiteral("photo_0412.jpg"), QStringLiteral("發票掃描檔.pdf"), QStringLiteral("main.cpp"),
    QStringLiteral("預算表.xlsx"), QStringLiteral("backup.tar.gz"), QStringLiteral("合約草稿.docx"),
    QStringLiteral("notes.txt"),
};

const QStringList statusBarSimplified = {
    QStringLiteral("就绪"), QStringLiteral("第 12 行，第 8 列"), QStringLiteral("已连接"), QStringLiteral("共 42 项"),
    QStringLiteral("已选择 3 个项目"), QStringLiteral("正在同步…"), QStringLiteral("上次保存于 14:05"),
};
const QStringList statusBarTraditional = {
    QStringLiteral("就緒"), QStringLiteral("第 12 行，第 8 欄"), QStringLiteral("已連線"), QStringLiteral("共 42 項"),
    QStringLiteral("已選取 3 個項目"), QStringLiteral("正在同步…"), QStringLiteral("上次儲存於 14:05"),
};
const QStringList statusBarEnglish = {
    QStringLiteral("Ready"), QStringLiteral("Ln 3, Col 17"), QStringLiteral("UTF-8"), QStringLiteral("Connected"),
    QStringLiteral("42 items"), QStringLiteral("3 items selected"), QStringLiteral("Saved at 14:05"),
};

Vocabulary vocabulary(Locale locale, Half which) {
    Vocabulary v;
    const auto h = [which](const QStringList &list) { return half(list, which); };
    // Buttons, titles, table headers, status texts and code comments are few;
    // both halves share them.
    switch (locale) {
    case Locale::Simplified:
        v.script = QStringLiteral("zh-Hans");
        v.sentences = h(simplifiedSentences);
        v.mixedLines = h(mixedLinesSimplified);
        v.codeComments = codeCommentsSimplified;
        v.menuItems = h(menuItemsSimplified);
        v.settingLabels = h(settingLabelsSimplified);
        v.fieldValues = fieldValuesSimplified + fieldValuesLatin;
        v.buttons = buttonsSimplified;
        v.titles = titlesSimplified;
        v.chat = h(chatSimplified);
        v.tableProducts = h(tableProductsSimplified);
        v.tableStatus = tableStatusSimplified;
        v.tableHeaders = {QStringLiteral("名称"), QStringLiteral("数量"), QStringLiteral("单价"),
                          QStringLiteral("状态"), QStringLiteral("日期")};
        v.fileNames = h(fileNamesSimplified);
        v.statusBar = statusBarSimplified;
        break;
    case Locale::Traditional:
        v.script = QStringLiteral("zh-Hant");
        v.sentences = h(traditionalSentences);
        v.mixedLines = h(mixedLinesTraditional);
        v.codeComments = codeCommentsTraditional;
        v.menuItems = h(menuItemsTraditional);
        v.settingLabels = h(settingLabelsTraditional);
        v.fieldValues = fieldValuesTraditional + fieldValuesLatin;
        v.buttons = buttonsTraditional;
        v.titles = titlesTraditional;
        v.chat = h(chatTraditional);
        v.tableProducts = h(tableProductsTraditional);
        v.tableStatus = tableStatusTraditional;
        v.tableHeaders = {QStringLiteral("名稱"), QStringLiteral("數量"), QStringLiteral("單價"),
                          QStringLiteral("狀態"), QStringLiteral("日期")};
        v.fileNames = h(fileNamesTraditional);
        v.statusBar = statusBarTraditional;
        break;
    case Locale::English:
        v.sentences = h(englishSentences);
        v.mixedLines = h(englishSentences);
        v.menuItems = h(menuItemsEnglish);
        v.settingLabels = h(settingLabelsEnglish);
        v.fieldValues = fieldValuesLatin;
        v.buttons = buttonsEnglish;
        v.titles = titlesEnglish;
        v.chat = h(chatEnglish);
        v.tableProducts = {QStringLiteral("Monitor"), QStringLiteral("Keyboard"), QStringLiteral("Mouse"),
                           QStringLiteral("Dock"), QStringLiteral("Headset"), QStringLiteral("USB-C cable"),
                           QStringLiteral("Laptop"), QStringLiteral("Webcam"), QStringLiteral("Router")};
        v.tableStatus = {QStringLiteral("Shipped"), QStringLiteral("Pending"), QStringLiteral("Done"),
                         QStringLiteral("Returned"), QStringLiteral("Cancelled")};
        v.tableHeaders = {QStringLiteral("Name"), QStringLiteral("Qty"), QStringLiteral("Price"),
                          QStringLiteral("Status"), QStringLiteral("Date")};
        v.fileNames = {QStringLiteral("Q3 report.xlsx"), QStringLiteral("README.md"),
                       QStringLiteral("meeting-notes.docx"), QStringLiteral("photo_0412.jpg"),
                       QStringLiteral("invoice-2291.pdf"), QStringLiteral("main.cpp"), QStringLiteral("budget.xlsx"),
                       QStringLiteral("backup.tar.gz")};
        v.statusBar = statusBarEnglish;
        break;
    }
    return v;
}

} // namespace OcrTexts
