<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en_US">
<context>
    <name>RecordListPage</name>
    <message><source>Record List</source><translation>녹음 목록</translation></message>
    <message><source>Search</source><translation>검색</translation></message>
    <message><source>&amp;Play</source><translation>재생(&amp;P)</translation></message>
    <message><source>&amp;Edit Recording Information</source><translation>녹음 정보 수정(&amp;E)</translation></message>
    <message><source>&amp;Delete Recording Information</source><translation>녹음 정보 삭제(&amp;D)</translation></message>
    <message><source>File &amp;Copy</source><translation>파일 복사(&amp;C)</translation></message>
    <message><source>Save as Excel</source><translation>Excel로 저장</translation></message>
    <message><source>&amp;Lock</source><translation>잠금(&amp;L)</translation></message>
    <message><source>&amp;Unlock</source><translation>잠금 해제(&amp;U)</translation></message>
</context>
<context>
    <name>IndexProgressWindow</name>
    <message><source>Preparing the search of the call records: %1 of %2 calls indexed.
Calls are recorded as usual meanwhile.</source><translation>녹음 검색을 준비하고 있습니다: 통화 %2건 중 %1건 색인됨.
그동안에도 통화는 평소대로 녹음됩니다.</translation></message>
</context>
<context>
    <name>RecordListModel</name>
    <message><source>Locked: the retention rules never delete this call.</source><translation>잠김: 보관 규칙이 이 통화를 삭제하지 않습니다.</translation></message>
</context>
<context>
    <name>EditRecordDialog</name>
    <message><source>Edit Recording Information</source><translation>녹음 정보 수정</translation></message>
    <message><source>Type :</source><translation>구분 :</translation></message>
    <message><source>Inbound</source><translation>수신</translation></message>
    <message><source>Outbound</source><translation>발신</translation></message>
    <message><source>Unknown</source><translation>알 수 없음</translation></message>
    <message><source>Name :</source><translation>이름 :</translation></message>
    <message><source>Phone Num. :</source><translation>전화번호 :</translation></message>
    <message><source>Organization :</source><translation>회사명 :</translation></message>
    <message><source>Address :</source><translation>주소 :</translation></message>
    <message><source>Contents :</source><translation>통화내용 :</translation></message>
    <message><source>ETC1 :</source><translation>기타1 :</translation></message>
    <message><source>ETC2 :</source><translation>기타2 :</translation></message>
    <message><source>Path :</source><translation>파일경로 :</translation></message>
</context>
</TS>
