<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>Package url is invalid.</source>
        <translation>安装包地址无效。</translation>
    </message>
</context>
</TS>
