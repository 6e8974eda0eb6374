<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
 <context>
  <name>strings</name>
  <message>
   <source>140</source>
   <translation>Element</translation>
  </message>
  <message>
   <source>141</source>
   <translation>Nesterly Anpassungsprogramm</translation>
  </message>
  <message>
   <source>142</source>
   <translation>Wartung</translation>
  </message>
  <message>
   <source>143</source>
   <translation>Drahtlos</translation>
  </message>
  <message>
   <source>144</source>
   <translation>Gerätekonfiguration</translation>
  </message>
  <message>
   <source>145</source>
   <translation>Systemmigration</translation>
  </message>
  <message>
   <source>146</source>
   <translation>Sicherheit, Schutz und Wiederherstellung</translation>
  </message>
  <message>
   <source>148</source>
   <translation>Hilfe und Support</translation>
  </message>
  <message>
   <source>149</source>
   <translation>Sonstige</translation>
  </message>
  <message>
   <source>150</source>
   <translation>Neu</translation>
  </message>
  <message>
   <source>151</source>
   <translation>Bearbeiten</translation>
  </message>
  <message>
   <source>152</source>
   <translation>Standard - Schwarz</translation>
  </message>
  <message>
   <source>153</source>
   <translation>Standard - Weiß</translation>
  </message>
  <message>
   <source>154</source>
   <translation>(Verwendet)</translation>
  </message>
  <message>
   <source>155</source>
   <translation>Bearbeiten Sie ein angepasstes Schema mit den folgenden Optionen.</translation>
  </message>
  <message>
   <source>157</source>
   <translation>Bilddateien</translation>
  </message>
  <message>
   <source>159</source>
   <translation>Ändern Sie den Namen oder die Datei des Schnellzugriffs.</translation>
  </message>
  <message>
   <source>161</source>
   <translation>Es können höchstens %d Schnellzugriffe ausgewählt werden. Heben Sie eine der aktuellen Auswahlen auf, und versuchen Sie es erneut.</translation>
  </message>
  <message>
   <source>162</source>
   <translation>Multimedia-Verwaltung</translation>
  </message>
  <message>
   <source>163</source>
   <translation>Mostrel Technologies</translation>
  </message>
  <message>
   <source>164</source>
   <translation>Licht an (kein Blinken)</translation>
  </message>
  <message>
   <source>165</source>
   <translation>Kommunikation und Netzwerk</translation>
  </message>
  <message>
   <source>166</source>
   <translation>Wichtiges für kleine Unternehmen</translation>
  </message>
  <message>
   <source>167</source>
   <translation>Blinken mit niedriger Priorität</translation>
  </message>
  <message>
   <source>168</source>
   <translation>Blinken mit mittlerer Priorität</translation>
  </message>
  <message>
   <source>169</source>
   <translation>Blinken mit hoher Priorität</translation>
  </message>
  <message>
   <source>170</source>
   <translation>keine</translation>
  </message>
  <message>
   <source>171</source>
   <translation>Möchten Sie den ausgewählten Feed wirklich löschen?</translation>
  </message>
  <message>
   <source>172</source>
   <translation>OPML-Datei</translation>
  </message>
  <message>
   <source>173</source>
   <translation>Importieren</translation>
  </message>
  <message>
   <source>175</source>
   <translation>Dieser Link enthält keinen gültigen RSS-Feed.</translation>
  </message>
  <message>
   <source>176</source>
   <translation>Löschen</translation>
  </message>
  <message>
   <source>177</source>
   <translation>Dieser Name ist bereits registriert.</translation>
  </message>
  <message>
   <source>180</source>
   <translation>Einige Einstellungen konnten nicht gespeichert werden und blieben unverändert.
%1</translation>
  </message>
  <message>
   <source>181</source>
   <translation>Die Einstellungen des Computers können nicht gelesen werden: %1
Ein Administrator kann sie wiederherstellen: talven-reg als root ausführen, zum Beispiel „talven-reg query HKLM“, das einen unterbrochenen Schreibvorgang zurücknimmt.</translation>
  </message>
  <message>
   <source>190</source>
   <translation>Nach oben</translation>
  </message>
  <message>
   <source>191</source>
   <translation>Nach unten</translation>
  </message>
  <message>
   <source>192</source>
   <translation>Wird vom Client immer angezeigt; kann nicht abgewählt werden</translation>
  </message>
  <message>
   <source>193</source>
   <translation>Das aktuelle Layout des Clients lässt keine Änderung dieser Quick Links zu.</translation>
  </message>
  <message>
   <source>194</source>
   <translation>Nur ein Administrator kann diese Quick Links ändern.</translation>
  </message>
  <message>
   <source>195</source>
   <translation>Ihre eigenen Quick Links können nur geändert werden, wenn das Programm unter Ihrem Konto läuft.</translation>
  </message>
  <message>
   <source>196</source>
   <translation>Die gespeicherte Liste kann nicht gelesen werden; sie wird nur angezeigt und bleibt unverändert.</translation>
  </message>
  <message>
   <source>197</source>
   <translation>Die gespeicherte Liste hat mehr Einträge, als gespeichert werden können; sie wird nur angezeigt.</translation>
  </message>
  <message>
   <source>198</source>
   <translation>Der Client hat seine Quick-Links-Liste noch nicht angelegt; sie kann daher nicht geändert werden.</translation>
  </message>
  <message>
   <source>199</source>
   <translation>Die Liste ist voll: Löschen Sie einen Eintrag, bevor Sie einen neuen hinzufügen.</translation>
  </message>
  <message>
   <source>260</source>
   <translation>Die gespeicherten Einstellungen der Tastenbeleuchtung können nicht gelesen werden; sie werden daher nur angezeigt und bleiben unverändert.</translation>
  </message>
  <message>
   <source>261</source>
   <translation>Ihr Administrator hat die Tastenbeleuchtung ausgeschaltet.</translation>
  </message>
  <message>
   <source>262</source>
   <translation>Es wurde keine Tastenbeleuchtung gefunden; ihr Standardzustand und ihre Anzeige können daher weder eingestellt noch in der Vorschau gezeigt werden.</translation>
  </message>
  <!-- The Resource Center page. -->
  <message>
   <source>200</source>
   <translation>Die gespeicherten Kategorien können nicht gelesen werden und bleiben daher unverändert.</translation>
  </message>
  <message>
   <source>201</source>
   <translation>Die gespeicherte Liste hat mehr Einträge, als gespeichert werden können, und bleibt daher unverändert.</translation>
  </message>
  <message>
   <source>202</source>
   <translation>Der Client ordnet dieses Ressourcencenter selbst an: Seine Kategorien werden hier nur angezeigt.</translation>
  </message>
  <message>
   <source>203</source>
   <translation>In dieser Spracheinstellung zeigt der Client alle Kategorien: Änderungen werden nicht gespeichert.</translation>
  </message>
  <message>
   <source>210</source>
   <translation>Wie gespeichert beibehalten: Die Werte konnten nicht vollständig gelesen werden</translation>
  </message>
  <message>
   <source>211</source>
   <translation>Der Feed wird geprüft...</translation>
  </message>
  <message>
   <source>212</source>
   <translation>Die gespeicherten Feeds können nicht gelesen werden; sie werden daher schreibgeschützt angezeigt und unverändert beibehalten.</translation>
  </message>
  <message>
   <source>213</source>
   <translation>RSS-Feed-Symbol</translation>
  </message>
  <message>
   <source>214</source>
   <translation>Ein Name darf höchstens 255 Zeichen und keinen umgekehrten Schrägstrich (\) enthalten.</translation>
  </message>
  <message>
   <source>215</source>
   <translation>Durch den Import hinzugefügte Feeds: %1. Klicken Sie auf OK, um sie zu übernehmen.</translation>
  </message>
  <message>
   <source>216</source>
   <translation>Es konnten keine Feeds importiert werden.</translation>
  </message>
 </context>
 <context>
  <name>dialog129</name>
  <message>
   <source>0</source>
   <translation>Schnellzugriffe</translation>
  </message>
  <message>
   <source>1001</source>
   <translation>Schnellzugriffe &amp;ausblenden</translation>
  </message>
  <message>
   <source>1008</source>
   <translation>&amp;Neu...</translation>
  </message>
  <message>
   <source>1009</source>
   <translation>&amp;Bearbeiten...</translation>
  </message>
  <message>
   <source>1010</source>
   <translation>&amp;Löschen</translation>
  </message>
  <message>
   <source>1022</source>
   <translation>Nur Benutzern mit Administrator&amp;rechten das Ändern der Einstellungen erlauben</translation>
  </message>
  <message>
   <source>1055</source>
   <translation>Wählen Sie bis zu %d Ihrer am häufigsten verwendeten Aufgaben aus, oder erstellen Sie mit "Neu" einen eigenen Eintrag.</translation>
  </message>
  <message>
   <source>1056</source>
   <translation>Inhalt der &amp;Schnellzugriffe:</translation>
  </message>
 </context>
 <context>
  <name>dialog130</name>
  <message>
   <source>-1</source>
   <translation>Wählen Sie die Aufgabenkategorien aus, die das Ressourcencenter enthalten soll.</translation>
  </message>
  <message>
   <source>0</source>
   <translation>Ressourcencenter</translation>
  </message>
  <message>
   <source>1001</source>
   <translation>Ressourcencenter &amp;ausblenden</translation>
  </message>
  <message>
   <source>1022</source>
   <translation>Nur Benutzern mit Administrator&amp;rechten das Ändern der Einstellungen erlauben</translation>
  </message>
  <message>
   <source>1056</source>
   <translation>Inhalt des &amp;Ressourcencenters:</translation>
  </message>
 </context>
 <context>
  <name>dialog131</name>
  <message>
   <source>-2</source>
   <translation>Mit RSS bleiben Sie automatisch über Ihre bevorzugten Websites auf dem Laufenden. Suchen Sie auf jeder Website nach dem folgenden RSS-Feed-Symbol, und ziehen Sie es in die Liste unten.</translation>
  </message>
  <message>
   <source>-1</source>
   <translation>Das Nachrichtencenter informiert über Ereignisse, Leistungsprobleme und andere Umstände, die den Zustand Ihres Computers beeinträchtigen können.</translation>
  </message>
  <message>
   <source>0</source>
   <translation>Nachrichtencenter</translation>
  </message>
  <message>
   <source>1001</source>
   <translation>Nachrichtencenter &amp;ausblenden</translation>
  </message>
  <message>
   <source>1008</source>
   <translation>&amp;Neu...</translation>
  </message>
  <message>
   <source>1009</source>
   <translation>&amp;Bearbeiten...</translation>
  </message>
  <message>
   <source>1010</source>
   <translation>&amp;Löschen</translation>
  </message>
  <message>
   <source>1012</source>
   <translation>&amp;Importieren...</translation>
  </message>
  <message>
   <source>1022</source>
   <translation>Nur Benutzern mit Administrator&amp;rechten das Ändern der Einstellungen erlauben</translation>
  </message>
  <message>
   <source>1048</source>
   <translation>Nachrichten des &amp;Nachrichtencenters anzeigen</translation>
  </message>
  <message>
   <source>1049</source>
   <translation>&amp;RSS anzeigen</translation>
  </message>
  <message>
   <source>1056</source>
   <translation>RSS-&amp;Feeds</translation>
  </message>
 </context>
 <context>
  <name>dialog132</name>
  <message>
   <source>-1</source>
   <translation>Wählen Sie eines der folgenden Farbschemas aus, oder erstellen Sie mit "Neu" ein angepasstes Schema.</translation>
  </message>
  <message>
   <source>0</source>
   <translation>Darstellung</translation>
  </message>
  <message>
   <source>1008</source>
   <translation>&amp;Neu...</translation>
  </message>
  <message>
   <source>1009</source>
   <translation>&amp;Bearbeiten...</translation>
  </message>
  <message>
   <source>1010</source>
   <translation>&amp;Löschen</translation>
  </message>
  <message>
   <source>1011</source>
   <translation>&amp;Übernehmen</translation>
  </message>
  <message>
   <source>1022</source>
   <translation>Nur Benutzern mit Administrator&amp;rechten das Ändern der Einstellungen erlauben</translation>
  </message>
 </context>
 <context>
  <name>dialog141</name>
  <message>
   <source>-2</source>
   <translation>&amp;Datei/URL:</translation>
  </message>
  <message>
   <source>-1</source>
   <translation>&amp;Name des Schnellzugriffs:</translation>
  </message>
  <message>
   <source>1</source>
   <translation>&amp;OK</translation>
  </message>
  <message>
   <source>2</source>
   <translation>&amp;Abbrechen</translation>
  </message>
  <message>
   <source>1016</source>
   <translation>Durch&amp;suchen...</translation>
  </message>
  <message>
   <source>1021</source>
   <translation>Geben Sie einen Namen für den neuen Schnellzugriff ein.</translation>
  </message>
  <message>
   <source>1053</source>
   <translation>Geben Sie einen Dateinamen ein, zum Beispiel: "C:\Ordnername\Dateiname.exe" -option</translation>
  </message>
 </context>
 <context>
  <name>dialog164</name>
  <message>
   <source>0</source>
   <translation>Nesterly Anpassungsprogramm</translation>
  </message>
  <message>
   <source>2</source>
   <translation>&amp;Abbrechen</translation>
  </message>
  <message>
   <source>1026</source>
   <translation>&amp;Weiter...</translation>
  </message>
  <message>
   <source>1027</source>
   <translation>Für diese Aktion ist Administratorzugriff erforderlich. Klicken Sie auf "Weiter", um Ihre Administratorrechte zu aktivieren.</translation>
  </message>
  <message>
   <source>1028</source>
   <translation>Warnung:
Wenn Sie Ihre Administratorrechte aktivieren, gehen die Änderungen verloren, die Sie in dieser Sitzung bereits vorgenommen haben.</translation>
  </message>
 </context>
 <context>
  <name>dialog167</name>
  <message>
   <source>-1</source>
   <translation>Passen Sie die Beleuchtung der Mostrel-Taste an Ihre Wünsche an.</translation>
  </message>
  <message>
   <source>0</source>
   <translation>Tastenbeleuchtung</translation>
  </message>
  <message>
   <source>1022</source>
   <translation>Nur Benutzern mit Administrator&amp;rechten das Ändern der Einstellungen erlauben</translation>
  </message>
  <message>
   <source>1038</source>
   <translation>Standardeinstellung</translation>
  </message>
  <message>
   <source>1039</source>
   <translation>Beleuchtung &amp;ein</translation>
  </message>
  <message>
   <source>1040</source>
   <translation>Beleuchtung a&amp;us</translation>
  </message>
  <message>
   <source>1041</source>
   <translation>Lichtanzeige</translation>
  </message>
  <message>
   <source>1042</source>
   <translation>&amp;Anzeige für:</translation>
  </message>
  <message>
   <source>1044</source>
   <translation>Anzeige&amp;typ:</translation>
  </message>
  <message>
   <source>1046</source>
   <translation>Ein&amp;stellungen...</translation>
  </message>
  <message>
   <source>1047</source>
   <translation>&amp;Vorschau</translation>
  </message>
 </context>
 <context>
  <name>dialog169</name>
  <message>
   <source>-1</source>
   <translation>Geben Sie einen Namen und die URL des RSS-Feeds ein.</translation>
  </message>
  <message>
   <source>-2</source>
   <translation>&amp;Name:</translation>
  </message>
  <message>
   <source>-3</source>
   <translation>URL des &amp;RSS-Feeds:</translation>
  </message>
  <message>
   <source>-4</source>
   <translation>URL der &amp;HTML-Seite (optional):</translation>
  </message>
  <message>
   <source>1</source>
   <translation>&amp;OK</translation>
  </message>
  <message>
   <source>2</source>
   <translation>&amp;Abbrechen</translation>
  </message>
 </context>
 <context>
  <name>dialog170</name>
  <message>
   <source>0</source>
   <translation>Importieren</translation>
  </message>
  <message>
   <source>-5</source>
   <translation>Wählen Sie aus, wie die RSS-Feeds importiert werden sollen:</translation>
  </message>
  <message>
   <source>1052</source>
   <translation>Aus dem Internet &amp;Explorer importieren</translation>
  </message>
  <message>
   <source>1053</source>
   <translation>Aus einer OP&amp;ML-Datei importieren</translation>
  </message>
  <message>
   <source>1</source>
   <translation>&amp;OK</translation>
  </message>
  <message>
   <source>2</source>
   <translation>&amp;Abbrechen</translation>
  </message>
 </context>
 <context>
  <name>strings</name>
  <message>
   <source>240</source>
   <translation>Vorschau des ausgewählten Schemas</translation>
  </message>
  <message>
   <source>241</source>
   <translation>Mostrel</translation>
  </message>
  <message>
   <source>242</source>
   <translation>Die gespeicherten Schemas können nicht gelesen werden. Sie werden schreibgeschützt angezeigt und bleiben unverändert.</translation>
  </message>
  <message>
   <source>243</source>
   <translation>Die gespeicherten Werte dieses Schemas können nicht gelesen werden. Es kann daher weder bearbeitet noch gelöscht werden.</translation>
  </message>
  <message>
   <source>244</source>
   <translation>Nur ein Administrator kann die Farbschemas ändern.</translation>
  </message>
  <message>
   <source>245</source>
   <translation>Die Farbschemas werden von Ihrem Administrator festgelegt.</translation>
  </message>
  <message>
   <source>246</source>
   <translation>Ihre eigenen Farbschemas können nur geändert werden, wenn das Programm unter Ihrem Konto läuft.</translation>
  </message>
  <message>
   <source>247</source>
   <translation>Farbschemas</translation>
  </message>
 </context>
 <context>
  <name>dialog140</name>
  <message>
   <source>-4</source>
   <translation>S&amp;ekundäres Hintergrundbild:</translation>
  </message>
  <message>
   <source>-3</source>
   <translation>&amp;Primäres Hintergrundbild:</translation>
  </message>
  <message>
   <source>-2</source>
   <translation>Schrift&amp;farbe:</translation>
  </message>
  <message>
   <source>-1</source>
   <translation>&amp;Name des Schemas:</translation>
  </message>
  <message>
   <source>1</source>
   <translation>&amp;OK</translation>
  </message>
  <message>
   <source>2</source>
   <translation>&amp;Abbrechen</translation>
  </message>
  <message>
   <source>1011</source>
   <translation>Mostrel-&amp;Kopfleiste anzeigen</translation>
  </message>
  <message>
   <source>1014</source>
   <translation>Durch&amp;suchen...</translation>
  </message>
  <message>
   <source>1015</source>
   <translation>Du&amp;rchsuchen...</translation>
  </message>
  <message>
   <source>1020</source>
   <translation>Erstellen Sie ein angepasstes Schema mit den folgenden Optionen.</translation>
  </message>
  <message>
   <source>1025</source>
   <translation>&amp;Hintergrundfarbe:</translation>
  </message>
 </context>
</TS>
