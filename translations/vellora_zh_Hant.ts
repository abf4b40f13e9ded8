<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW" sourcelanguage="zh_CN">
<context>
    <name>Vellora</name>
    <message>
        <source>就绪</source>
        <translation>就緒</translation>
    </message>
    <message numerus="yes">
        <source>%d 个字 · 按 ⌘V 粘贴</source>
        <translation>
            <numerusform>%d 個字 · 按 Ctrl+V 貼上</numerusform>
        </translation>
    </message>
</context>
</TS>
