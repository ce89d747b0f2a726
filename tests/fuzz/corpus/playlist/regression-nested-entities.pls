<!DOCTYPE D [<!ENTITY a "<E Path='1'/>"><!ENTITY b "&a;<E Path='2'/>&a;">]>
<D><PlayerList>&b;<E Path="&amp;3"/></PlayerList></D>