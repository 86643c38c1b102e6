<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DownloadTask</name>
    <message>
        <source>Can&apos;t write the local file %1: %2</source>
        <translation>无法写入本地文件 %1：%2</translation>
    </message>
    <message>
        <source>Can&apos;t write the local file %1.</source>
        <translation>无法写入本地文件 %1。</translation>
    </message>
    <message>
        <source>Can&apos;t move the downloaded file to %1.</source>
        <translation>无法将下载的文件移动到 %1。</translation>
    </message>
    <message>
        <source>The server answered &quot;%1 %2&quot; instead of sending the package.</source>
        <translation>服务器返回了“%1 %2”，而不是安装包。</translation>
    </message>
    <message>
        <source>Error transferring %1 - server replied: %2</source>
        <translation>传输 %1 时出错 - 服务器回复：%2</translation>
    </message>
    <message>
        <source>The download ended early: %1 of %2 bytes arrived.</source>
        <translation>下载提前结束：只收到了 %2 字节中的 %1 字节。</translation>
    </message>
    <message>
        <source>The download did not finish within the time allowed.</source>
        <translation>下载未能在允许的时间内完成。</translation>
    </message>
    <message>
        <source>The disk is full: there is no room left for the package in %1.</source>
        <translation>磁盘已满：%1 中没有空间存放安装包。</translation>
    </message>
</context>
<context>
    <name>HttpResponseReader</name>
    <message>
        <source>The server sent more data than it announced.</source>
        <translation>服务器发送的数据多于它声明的长度。</translation>
    </message>
    <message>
        <source>The connection closed before the server&apos;s answer was complete.</source>
        <translation>服务器的应答尚未完整，连接就已关闭。</translation>
    </message>
    <message>
        <source>The server&apos;s answer has a header larger than %1 KiB.</source>
        <translation>服务器应答的头部超过了 %1 KiB。</translation>
    </message>
    <message>
        <source>The server&apos;s answer is not HTTP.</source>
        <translation>服务器的应答不是 HTTP。</translation>
    </message>
    <message>
        <source>The server sent the file compressed (Transfer-Encoding: %1), which is refused: the installer asks for the file as it is.</source>
        <translation>服务器以压缩形式发送了文件（Transfer-Encoding: %1），已拒绝：安装程序要求按原样获取文件。</translation>
    </message>
    <message>
        <source>The server sent the file compressed (Content-Encoding: %1), which is refused: the installer asks for the file as it is.</source>
        <translation>服务器以压缩形式发送了文件（Content-Encoding: %1），已拒绝：安装程序要求按原样获取文件。</translation>
    </message>
    <message>
        <source>The server announced an unusable length (Content-Length: %1).</source>
        <translation>服务器声明了无法使用的长度（Content-Length: %1）。</translation>
    </message>
    <message>
        <source>The server sent a malformed chunk.</source>
        <translation>服务器发送了格式错误的数据块。</translation>
    </message>
</context>
<context>
    <name>HttpFetch</name>
    <message>
        <source>The download address is not an HTTP or HTTPS address: %1</source>
        <translation>下载地址不是 HTTP 或 HTTPS 地址：%1</translation>
    </message>
    <message>
        <source>The server redirected the download too many times.</source>
        <translation>服务器重定向下载的次数过多。</translation>
    </message>
    <message>
        <source>The server redirected the download from HTTPS to an insecure address, which is refused.</source>
        <translation>服务器将下载从 HTTPS 重定向到不安全的地址，已拒绝。</translation>
    </message>
    <message>
        <source>The download stalled: less than %1 bytes arrived in %2 seconds.</source>
        <translation>下载已停滞：%2 秒内收到的数据少于 %1 字节。</translation>
    </message>
</context>
<context>
    <name>SignedClaims</name>
    <message>
        <source>The package&apos;s signature is for the file &quot;%1&quot;, not for &quot;%2&quot;: the server may be sending another package under this name.</source>
        <translation>安装包的签名属于文件“%1”，而不是“%2”：服务器可能在用这个名称发送另一个安装包。</translation>
    </message>
    <message>
        <source>The package&apos;s signature is for the product &quot;%1&quot;, not for &quot;%2&quot;.</source>
        <translation>安装包的签名属于产品“%1”，而不是“%2”。</translation>
    </message>
    <message>
        <source>The package&apos;s signature is for version %1, not for version %2: the server may be sending an older package.</source>
        <translation>安装包的签名属于版本 %1，而不是版本 %2：服务器可能在发送较旧的安装包。</translation>
    </message>
</context>
<context>
    <name>PackageTrust</name>
    <message>
        <source>The package checksum in settings.ini (packageSha256) is not 64 hexadecimal digits.</source>
        <translation>settings.ini 中的安装包校验和（packageSha256）不是 64 位十六进制数字。</translation>
    </message>
    <message>
        <source>A public key in settings.ini (packagePublicKey) is not a minisign public key.</source>
        <translation>settings.ini 中的某个公钥（packagePublicKey）不是 minisign 公钥。</translation>
    </message>
    <message>
        <source>settings.ini names more than %1 public keys (packagePublicKey).</source>
        <translation>settings.ini 中列出的公钥（packagePublicKey）超过了 %1 个。</translation>
    </message>
    <message>
        <source>The downloaded package is damaged: it is not the file the publisher released.</source>
        <translation>下载的安装包已损坏：它不是发布者发布的文件。</translation>
    </message>
    <message>
        <source>The package has no signature, so it cannot be trusted.</source>
        <translation>安装包没有签名，因此无法信任。</translation>
    </message>
    <message>
        <source>The package&apos;s signature is damaged or not a minisign signature.</source>
        <translation>安装包的签名已损坏，或不是 minisign 签名。</translation>
    </message>
    <message>
        <source>The package is signed with a key that this installer does not trust.</source>
        <translation>安装包的签名所用的密钥不受本安装程序信任。</translation>
    </message>
    <message>
        <source>The package&apos;s signature does not match it: the package may have been altered.</source>
        <translation>安装包的签名与安装包不符：安装包可能已被篡改。</translation>
    </message>
</context>
<context>
    <name>SignatureFetch</name>
    <message>
        <source>The server answered with status %1.</source>
        <translation>服务器返回了状态 %1。</translation>
    </message>
</context>
<context>
    <name>UnzipWorker</name>
    <message>
        <source>The target dir is not exist.</source>
        <translation>目标文件夹不存在。</translation>
    </message>
    <message>
        <source>Failed to create unzip dir.</source>
        <translation>无法创建解压文件夹。</translation>
    </message>
    <message>
        <source>The install package is incomplete: it lacks %1.</source>
        <translation>安装包不完整：缺少 %1。</translation>
    </message>
    <message>
        <source>The install package is invalid: its files claim more space than any disk holds.</source>
        <translation>安装包无效：其文件声明的大小超出了任何磁盘的容量。</translation>
    </message>
    <message>
        <source>Not enough free disk space in %1: %2 MB needed, %3 MB free.</source>
        <translation>%1 所在磁盘空间不足：需要 %2 MB，可用 %3 MB。</translation>
    </message>
    <message>
        <source>The disk is full: %1</source>
        <translation>磁盘已满：%1</translation>
    </message>
</context>
<context>
    <name>ArchiveIndex</name>
    <message>
        <source>The package is not a readable zip archive.</source>
        <translation>安装包不是可读取的 zip 压缩文件。</translation>
    </message>
    <message>
        <source>The package is invalid: the entry &quot;%1&quot; cannot be unpacked safely (%2).</source>
        <translation>安装包无效：条目“%1”无法安全解压（%2）。</translation>
    </message>
    <message>
        <source>The package is invalid: the entry &quot;%1&quot; is encrypted.</source>
        <translation>安装包无效：条目“%1”已加密。</translation>
    </message>
    <message>
        <source>The package is invalid: it lists more than %1 entries, or its listing takes more than %2 MB.</source>
        <translation>安装包无效：它列出的条目超过 %1 个，或其文件列表超过 %2 MB。</translation>
    </message>
    <message>
        <source>The package is invalid: the entry &quot;%1&quot; is compressed with method %2; only stored and deflated entries can be unpacked.</source>
        <translation>安装包无效：条目“%1”使用压缩方法 %2；只能解压未压缩（stored）和 deflate 压缩的条目。</translation>
    </message>
    <message>
        <source>The package is invalid: the entry &quot;%1&quot; is neither a file, a folder nor a link.</source>
        <translation>安装包无效：条目“%1”既不是文件、文件夹，也不是链接。</translation>
    </message>
    <message>
        <source>The package is invalid: the link &quot;%1&quot; cannot be read.</source>
        <translation>安装包无效：无法读取链接“%1”。</translation>
    </message>
    <message>
        <source>The package is invalid: two entries land on &quot;%1&quot;.</source>
        <translation>安装包无效：有两个条目会写到同一位置“%1”。</translation>
    </message>
    <message>
        <source>The package is invalid: &quot;%1&quot; lies below a file or link.</source>
        <translation>安装包无效：“%1”位于文件或链接之下。</translation>
    </message>
    <message>
        <source>The package is invalid: the link &quot;%1&quot; %2.</source>
        <translation>安装包无效：链接“%1”%2。</translation>
    </message>
    <message>
        <source>leads outside the package</source>
        <translation>指向安装包之外</translation>
    </message>
    <message>
        <source>leads to a name that cannot exist</source>
        <translation>指向一个不可能存在的名称</translation>
    </message>
    <message>
        <source>leads to nothing in the package</source>
        <translation>未指向安装包中的任何内容</translation>
    </message>
    <message>
        <source>leads round in a circle</source>
        <translation>形成了循环</translation>
    </message>
</context>
<context>
    <name>EntryName</name>
    <message>
        <source>it is longer than %1 bytes</source>
        <translation>它超过了 %1 字节</translation>
    </message>
    <message>
        <source>it is not valid UTF-8</source>
        <translation>它不是有效的 UTF-8</translation>
    </message>
    <message>
        <source>it is empty</source>
        <translation>名称为空</translation>
    </message>
    <message>
        <source>it is an absolute path</source>
        <translation>它是绝对路径</translation>
    </message>
    <message>
        <source>it names a drive</source>
        <translation>它指定了驱动器</translation>
    </message>
    <message>
        <source>it is more than %1 folders deep</source>
        <translation>它的文件夹层级超过 %1 层</translation>
    </message>
    <message>
        <source>it names no file</source>
        <translation>它没有指定任何文件</translation>
    </message>
</context>
<context>
    <name>PackageExtractor</name>
    <message>
        <source>The package cannot be read.</source>
        <translation>无法读取安装包。</translation>
    </message>
    <message>
        <source>The package changed while it was unpacked.</source>
        <translation>安装包在解压过程中发生了变化。</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; could not be created.</source>
        <translation>无法创建文件夹“%1”。</translation>
    </message>
    <message>
        <source>The entry &quot;%1&quot; cannot be read from the package.</source>
        <translation>无法从安装包中读取条目“%1”。</translation>
    </message>
    <message>
        <source>The disk is full: &quot;%1&quot; could not be written.</source>
        <translation>磁盘已满：无法写入“%1”。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be created.</source>
        <translation>无法创建“%1”。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be written.</source>
        <translation>无法写入“%1”。</translation>
    </message>
    <message>
        <source>The entry &quot;%1&quot; holds more data than the package states.</source>
        <translation>条目“%1”的数据多于安装包所声明的大小。</translation>
    </message>
    <message>
        <source>The entry &quot;%1&quot; has %2 bytes instead of the %3 the package states.</source>
        <translation>条目“%1”有 %2 字节，而安装包声明为 %3 字节。</translation>
    </message>
    <message>
        <source>The entry &quot;%1&quot; fails its CRC-32 check.</source>
        <translation>条目“%1”未通过 CRC-32 校验。</translation>
    </message>
    <message>
        <source>The entry &quot;%1&quot; is damaged in the package.</source>
        <translation>安装包中的条目“%1”已损坏。</translation>
    </message>
    <message>
        <source>The link &quot;%1&quot; could not be created.</source>
        <translation>无法创建链接“%1”。</translation>
    </message>
</context>
<context>
    <name>Placement</name>
    <message>
        <source>The installation journal could not be written.</source>
        <translation>无法写入安装日志记录。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder in the install folder, but the package has a file there.</source>
        <translation>安装文件夹中的“%1”是一个文件夹，但安装包在该位置是一个文件。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; in the install folder cannot be replaced.</source>
        <translation>无法替换安装文件夹中的“%1”。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be moved into the install folder.</source>
        <translation>无法将“%1”移入安装文件夹。</translation>
    </message>
</context>
<context>
    <name>RunFolder</name>
    <message>
        <source>The temporary folder %1 cannot be used.</source>
        <translation>无法使用临时文件夹 %1。</translation>
    </message>
</context>
</TS>
