<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en_US">
<context>
    <name>OptionsDialog</name>
    <message><source>Retention</source><translation>보관</translation></message>
</context>
<context>
    <name>RetentionPage</name>
    <message><source>Retention</source><translation>보관</translation></message>
    <message><source>Delete old calls</source><translation>오래된 통화 삭제</translation></message>
    <message><source>Delete calls older than</source><translation>다음보다 오래된 통화 삭제:</translation></message>
    <message><source>days</source><translation>일</translation></message>
    <message><source>Keep the recordings under</source><translation>녹음 파일을 다음 크기 이하로 유지:</translation></message>
    <message><source>GiB (the oldest calls go first)</source><translation>GiB (가장 오래된 통화부터 삭제)</translation></message>
    <message><source>The rules run when Ambrin+ starts and then once a day. A call's record and its recording are deleted together. Calls locked in the record list and the call being recorded or played are never deleted.</source><translation>규칙은 Ambrin+가 시작할 때와 그 뒤 하루에 한 번 실행됩니다. 통화 기록과 녹음 파일은 함께 삭제됩니다. 녹음 목록에서 잠근 통화와 녹음 중이거나 재생 중인 통화는 삭제하지 않습니다.</translation></message>
    <message><source>Line health</source><translation>회선 상태</translation></message>
    <message><source>Warn when no call has been recorded for</source><translation>다음 기간 동안 녹음된 통화가 없으면 경고:</translation></message>
    <message><source>working days</source><translation>근무일</translation></message>
    <message><source>An unplugged adapter looks just like a quiet office. Ambrin+ also warns when the audio input has been unavailable for more than a minute, and when the recordings' disk will be full within 14 days at the rate of the last 30 days.</source><translation>어댑터가 빠진 것과 조용한 사무실은 겉보기에 똑같습니다. Ambrin+는 오디오 입력을 1분 넘게 사용할 수 없을 때와, 최근 30일의 속도라면 녹음 디스크가 14일 안에 가득 찰 때에도 경고합니다.</translation></message>
    <message><source>Both rules are off: no call is deleted.</source><translation>두 규칙이 모두 꺼져 있어 삭제되는 통화가 없습니다.</translation></message>
    <message numerus="yes"><source>With these rules, %n call(s) would be deleted now.</source><translation><numerusform>이 규칙대로라면 지금 통화 %n건이 삭제됩니다.</numerusform></translation></message>
</context>
</TS>
