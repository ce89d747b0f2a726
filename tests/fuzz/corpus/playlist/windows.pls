<?xml version="1.0" encoding="GB2312"?>
<DefaultList>
	<PlayerList>
		<LIST Path="D:\音乐\周杰伦\晴天.mp3" Title="晴天" Artist="周杰伦" Url="0" Ltime="0.00311342592592593"/>
		<LIST Path="D:\音乐\陶喆\普通朋友.wma" Title="普通朋友" Artist="陶喆" Url="0" Ltime="0.00296296296296296"/>
		<LIST Path="http://music.example.com/down/%E7%BA%A2%E8%B1%86.mp3" Title="红豆" Artist="王菲" Url="1" Ltime="0"/>
		<LIST Path="\\NAS\共享\Beyond - 海阔天空.ape" Title="海阔天空" Artist="Beyond" Url="0" Ltime="0.00376157407407407"/>
		<LIST Path="E:\下载\Tom &amp; Jerry.mp3" Title="Tom &amp; Jerry &quot;主题曲&quot;" Artist="" Url="0" Ltime="0.000694444444444444"/>
	</PlayerList>
</DefaultList>
