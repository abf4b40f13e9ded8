<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Vellora</name>
    <message>
        <source>就绪</source>
        <translation>Ready</translation>
    </message>
    <message numerus="yes">
        <source>%d 个字 · 按 ⌘V 粘贴</source>
        <translation>
            <numerusform>%d character · Press Ctrl+V to paste</numerusform>
            <numerusform>%d characters · Press Ctrl+V to paste</numerusform>
        </translation>
    </message>
</context>
</TS>
