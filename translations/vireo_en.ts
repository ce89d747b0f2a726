<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>skin</name>
    <message>
        <source>上一页</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>上一首</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一页</source>
        <translation>Next page</translation>
    </message>
    <message>
        <source>下一首</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>主菜单</source>
        <translation>Main menu</translation>
    </message>
    <message>
        <source>乐库</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Reload</translation>
    </message>
    <message>
        <source>前进</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>前进0.5秒</source>
        <translation>0.5 s later</translation>
    </message>
    <message>
        <source>后退</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>后退0.5秒</source>
        <translation>0.5 s earlier</translation>
    </message>
    <message>
        <source>排序</source>
        <translation>Sort</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>搜索歌词</source>
        <translation>Search lyrics</translation>
    </message>
    <message>
        <source>播放/暂停</source>
        <translation>Play/Pause</translation>
    </message>
    <message>
        <source>播放模式</source>
        <translation>Play mode</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>桌面歌词</source>
        <translation>Desktop lyrics</translation>
    </message>
    <message>
        <source>歌词</source>
        <translation>Lyrics</translation>
    </message>
    <message>
        <source>添加歌曲</source>
        <translation>Add songs</translation>
    </message>
    <message>
        <source>随便听听</source>
        <translation>Play something at random</translation>
    </message>
    <message>
        <source>静音</source>
        <translation>Mute</translation>
    </message>
</context>
<context>
    <name>vireo::DialogFilter</name>
    <message>
        <source>所有音乐</source>
        <translation>All music</translation>
    </message>
    <message>
        <source>播放列表</source>
        <translation>Playlists</translation>
    </message>
</context>
<context>
    <name>vireo::TDDLrcShow</name>
    <message>
        <source>维雀 分享音乐 分享快乐</source>
        <translation>Vireo · share music, share joy</translation>
    </message>
</context>
<context>
    <name>vireo::TPetrelDeskTopLrc</name>
    <message>
        <source>Vireo 桌面歌词</source>
        <translation>Vireo desktop lyrics</translation>
    </message>
    <message>
        <source>维雀 分享音乐 分享快乐</source>
        <translation>Vireo · share music, share joy</translation>
    </message>
</context>
<context>
    <name>vireo::TPetrelDlrcButton</name>
    <message>
        <source>Vireo 桌面歌词操作</source>
        <translation>Vireo desktop lyrics toolbar</translation>
    </message>
    <message>
        <source>后退0.5秒</source>
        <translation>0.5 s earlier</translation>
    </message>
    <message>
        <source>前进0.5秒</source>
        <translation>0.5 s later</translation>
    </message>
    <message>
        <source>搜索歌词</source>
        <translation>Search lyrics</translation>
    </message>
    <message>
        <source>切换</source>
        <translation>Switch</translation>
    </message>
    <message>
        <source>切换到窗口歌词</source>
        <translation>Show the lyrics in a window</translation>
    </message>
    <message>
        <source>关闭歌词</source>
        <translation>Close the lyrics</translation>
    </message>
</context>
<context>
    <name>vireo::TPetrelMain</name>
    <message>
        <source>维雀</source>
        <translation>Vireo</translation>
    </message>
    <message>
        <source>循环播放</source>
        <translation>Repeat all</translation>
    </message>
    <message>
        <source>维雀 分享音乐 分享快乐</source>
        <translation>Vireo · share music, share joy</translation>
    </message>
    <message>
        <source>&gt; 打开本地音乐</source>
        <translation>&gt; Open local music</translation>
    </message>
    <message>
        <source>&gt; 随便听听</source>
        <translation>&gt; Play something at random</translation>
    </message>
    <message>
        <source>顺序播放</source>
        <translation>In order</translation>
    </message>
    <message>
        <source>单曲循环</source>
        <translation>Repeat one</translation>
    </message>
    <message>
        <source>关于维雀...</source>
        <translation>About Vireo...</translation>
    </message>
    <message>
        <source>打开本地歌曲</source>
        <translation>Open local songs</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>随便听听</source>
        <translation>Play something at random</translation>
    </message>
    <message>
        <source>随身播放列表</source>
        <translation>Portable playlist</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>播放/暂停</source>
        <translation>Play/Pause</translation>
    </message>
    <message>
        <source>上一首</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一首</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>查看</source>
        <translation>View</translation>
    </message>
    <message>
        <source>乐库</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>歌词</source>
        <translation>Lyrics</translation>
    </message>
    <message>
        <source>皮肤</source>
        <translation>Skin</translation>
    </message>
    <message>
        <source>音量均衡</source>
        <translation>Volume levelling</translation>
    </message>
    <message>
        <source>均衡器</source>
        <translation>Equalizer</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>歌曲</source>
        <translation>Songs</translation>
    </message>
    <message>
        <source>打开歌曲缓存目录</source>
        <translation>Open the song cache folder</translation>
    </message>
    <message>
        <source>设置歌曲缓存目录</source>
        <translation>Set the song cache folder</translation>
    </message>
    <message>
        <source>打开歌词存放目录</source>
        <translation>Open the lyric folder</translation>
    </message>
    <message>
        <source>设置歌词存放目录</source>
        <translation>Set the lyric folder</translation>
    </message>
    <message>
        <source>插件</source>
        <translation>Plug-ins</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>删除选择文件</source>
        <translation>Delete the selected songs</translation>
    </message>
    <message>
        <source>清空播放列表</source>
        <translation>Clear the playlist</translation>
    </message>
    <message>
        <source>随机排列</source>
        <translation>Shuffle</translation>
    </message>
    <message>
        <source>按名称排列</source>
        <translation>Sort by name</translation>
    </message>
    <message>
        <source>按时间排列</source>
        <translation>Sort by length</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>确定要删除当前选择的歌曲吗？</source>
        <translation>Delete the selected songs from the playlist?</translation>
    </message>
    <message>
        <source>确定要清空播放列表吗？</source>
        <translation>Clear the whole playlist?</translation>
    </message>
    <message>
        <source>选择歌曲缓存目录</source>
        <translation>Choose the song cache folder</translation>
    </message>
    <message>
        <source>选择歌词存放目录</source>
        <translation>Choose the lyric folder</translation>
    </message>
    <message>
        <source>播放中</source>
        <translation>Playing</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>主菜单</source>
        <translation>Main menu</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>排序</source>
        <translation>Sort</translation>
    </message>
    <message>
        <source>播放模式</source>
        <translation>Play mode</translation>
    </message>
    <message>
        <source>歌词翻译</source>
        <translation>Lyric Translations</translation>
    </message>
</context>
<context>
    <name>vireo::TPetrelShare</name>
    <message>
        <source>输入歌曲名 歌手</source>
        <translation>Song title or singer</translation>
    </message>
    <message>
        <source>维雀 - 分享平台</source>
        <translation>Vireo - Music library</translation>
    </message>
    <message>
        <source>歌曲名</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>歌手</source>
        <translation>Singer</translation>
    </message>
    <message>
        <source>专辑</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>zh-CN</source>
        <comment>the language of the page</comment>
        <translation>en</translation>
    </message>
    <message>
        <source>&lt;h1&gt;♪ 维雀乐库&lt;/h1&gt;&lt;p&gt;在右上方的&lt;span class=&quot;key&quot;&gt;搜索框&lt;/span&gt;里输入歌曲名或歌手，按回车或点击搜索按钮，找到的歌曲会列在下方。&lt;/p&gt;&lt;p&gt;点击一行的&lt;span class=&quot;key&quot;&gt;播放&lt;/span&gt;图标立即收听，点击&lt;span class=&quot;key&quot;&gt;添加&lt;/span&gt;图标把它加入播放列表；用翻页按钮查看更多结果。&lt;/p&gt;&lt;p&gt;连接到分享平台后，这里会显示平台的音乐页面，页面上的播放和添加链接会直接交给播放器。&lt;/p&gt;</source>
        <translation>&lt;h1&gt;♪ Vireo music library&lt;/h1&gt;&lt;p&gt;Type a song title or a singer into the &lt;span class=&quot;key&quot;&gt;search box&lt;/span&gt; at the top right and press Enter or click the search button: the songs found are listed below.&lt;/p&gt;&lt;p&gt;Click a row&apos;s &lt;span class=&quot;key&quot;&gt;play&lt;/span&gt; icon to listen at once, or its &lt;span class=&quot;key&quot;&gt;add&lt;/span&gt; icon to put it on the playlist; the page buttons show more results.&lt;/p&gt;&lt;p&gt;Once connected to a music service, this shows the service&apos;s pages, and their play and add links go straight to the player.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;h1&gt;♪ 页面已停止&lt;/h1&gt;&lt;p&gt;这个页面占用的内存超过了限制，或者页面进程意外结束，页面已被关闭。播放器不受影响，音乐照常播放。&lt;/p&gt;</source>
        <translation>&lt;h1&gt;♪ The page was stopped&lt;/h1&gt;&lt;p&gt;This page used more memory than allowed, or its process ended unexpectedly, so it was closed. The player is not affected and the music goes on.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;a href=&quot;%1&quot;&gt;重新载入页面&lt;/a&gt;&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;a href=&quot;%1&quot;&gt;Load the page again&lt;/a&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;也可以在右上方的&lt;span class=&quot;key&quot;&gt;搜索框&lt;/span&gt;里直接搜索歌曲。&lt;/p&gt;</source>
        <translation>&lt;p&gt;You can also search for songs in the &lt;span class=&quot;key&quot;&gt;search box&lt;/span&gt; at the top right.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>速度：</source>
        <translation>Bit rate: </translation>
    </message>
    <message>
        <source>大小：</source>
        <translation>Size: </translation>
    </message>
</context>
<context>
    <name>vireo::TPetrelSlrc</name>
    <message>
        <source>歌词搜索</source>
        <translation>Lyric search</translation>
    </message>
    <message>
        <source>歌曲名：</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>歌手：</source>
        <translation>Singer:</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>下载歌词</source>
        <translation>Download lyric</translation>
    </message>
    <message>
        <source>歌曲名</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>歌手</source>
        <translation>Singer</translation>
    </message>
    <message>
        <source>专辑</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>停止下载</source>
        <translation>Stop download</translation>
    </message>
    <message>
        <source>逐字</source>
        <translation>word timing</translation>
    </message>
    <message>
        <source>翻译</source>
        <translation>translation</translation>
    </message>
    <message>
        <source>逐字歌词：每个字随演唱点亮</source>
        <translation>Word-timed lyric: each word lights up as it is sung</translation>
    </message>
</context>
<context>
    <name>vireo::TPetrelUpdate</name>
    <message>
        <source>维雀 升级</source>
        <translation>Vireo update</translation>
    </message>
    <message>
        <source>发现新版本，程序正在升级中...</source>
        <translation>A new version was found; the player is being updated...</translation>
    </message>
    <message>
        <source>升级文件未能通过校验，没有安装。</source>
        <translation>The update did not pass its check and was not installed.</translation>
    </message>
    <message>
        <source>升级程序无法启动，没有安装。</source>
        <translation>The update could not be started and was not installed.</translation>
    </message>
</context>
<context>
    <name>vireo::TfrmAbout</name>
    <message>
        <source>版本 v</source>
        <translation>Version </translation>
    </message>
    <message>
        <source>关于 维雀</source>
        <translation>About Vireo</translation>
    </message>
    <message>
        <source>维雀 Vireo</source>
        <translation>Vireo 维雀</translation>
    </message>
    <message>
        <source>维雀 分享音乐 分享快乐</source>
        <translation>Vireo · share music, share joy</translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
</context>
</TS>
