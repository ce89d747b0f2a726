<?xml version="1.0" encoding="GB2312"?>
<MyList>
	<Other/>
	<PlayerList>
		<Item Path="C:\a.mp3" Title="一" Artist="甲" Url="True" Ltime="abc"/>
		<!-- a comment between entries -->
		<ENTRY Path="C:\b.mp3" Ltime="0,5" Url="false"/>
		<LIST Title="三" Url="2" Ltime=""/>
		<LIST Path="C:\d.mp3" Title="四" Artist="丁" Url="yes" Ltime="1e-3"/>
	</PlayerList>
</MyList>
