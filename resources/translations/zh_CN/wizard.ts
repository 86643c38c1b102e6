<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>Package url is invalid.</source>
        <translation>安装包地址无效。</translation>
    </message>
    <message>
        <source>Product name is invalid: it cannot name a folder.</source>
        <translation>产品名称无效：它不能用作文件夹名。</translation>
    </message>
</context>
</TS>
