<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en_US">
<context>
    <name>QPlatformTheme</name>
    <message><source>OK</source><translation>확인</translation></message>
    <message><source>Cancel</source><translation>취소</translation></message>
    <message><source>&amp;Yes</source><translation>예(&amp;Y)</translation></message>
    <message><source>&amp;No</source><translation>아니요(&amp;N)</translation></message>
    <message><source>Close</source><translation>닫기</translation></message>
</context>
<context>
    <name>RecordInformationDialog</name>
    <message><source>Ambrin+ Recording Information</source><translation>Ambrin+ 녹음 정보</translation></message>
    <message><source>Type :</source><translation>구분 :</translation></message>
    <message><source>Inbound</source><translation>수신</translation></message>
    <message><source>Outbound</source><translation>발신</translation></message>
    <message><source>Unknown</source><translation>알 수 없음</translation></message>
    <message><source>Name :</source><translation>이름 :</translation></message>
    <message><source>Phone Num. :</source><translation>전화번호 :</translation></message>
    <message><source>Organization :</source><translation>회사명 :</translation></message>
    <message><source>Address :</source><translation>주소 :</translation></message>
    <message><source>Contents :</source><translation>통화내용 :</translation></message>
    <message><source>Select Cont. :</source><translation>내용 선택 :</translation></message>
    <message><source>ETC1 :</source><translation>기타1 :</translation></message>
    <message><source>ETC2 :</source><translation>기타2 :</translation></message>
</context>
<context>
    <name>CommandMenu</name>
    <message><source>&amp;Record</source><translation>녹음(&amp;R)</translation></message>
    <message><source>&amp;Play</source><translation>재생(&amp;P)</translation></message>
    <message><source>Pa&amp;use</source><translation>일시정지(&amp;U)</translation></message>
    <message><source>&amp;Stop</source><translation>정지(&amp;S)</translation></message>
    <message><source>Automatic</source><translation>자동 녹음</translation></message>
    <message><source>Manual</source><translation>수동 녹음</translation></message>
    <message><source>Record &amp;List</source><translation>녹음 목록(&amp;L)</translation></message>
    <message><source>&amp;Options</source><translation>환경 설정(&amp;O)</translation></message>
    <message><source>&amp;Volume Control Wizard</source><translation>볼륨설정 마법사(&amp;V)</translation></message>
    <message><source>&amp;Help</source><translation>도움말(&amp;H)</translation></message>
    <message><source>E&amp;xit</source><translation>종료(&amp;X)</translation></message>
</context>
<context>
    <name>PasswordDialog</name>
    <message><source>Ambrin+</source><translation>Ambrin+</translation></message>
    <message><source>Enter Password :</source><translation>비밀번호를 입력하십시오 :</translation></message>
</context>
<context>
    <name>VolumeWizard</name>
    <message><source>Volume Control Wizard</source><translation>볼륨설정 마법사</translation></message>
    <message><source>Set the recording volume so that calls are detected and recorded clearly.

1. Connect the telephone adapter to the sound card&apos;s microphone or line input.
2. Pick up the handset and talk as you normally would.
3. Check that the waveform below moves with your voice. If it hardly moves, raise the recording volume.
4. If even the maximum is not enough, press Detail and turn on the boost of the recording input. Boost also makes noise louder.</source><translation>통화가 잘 감지되고 깨끗하게 녹음되도록 녹음 볼륨을 맞춥니다.

1. 전화 어댑터를 사운드 카드의 마이크 입력이나 라인 입력에 연결하십시오.
2. 수화기를 들고 평소처럼 말해 보십시오.
3. 아래 파형이 목소리에 따라 움직이는지 확인하십시오. 거의 움직이지 않으면 녹음 볼륨을 높이십시오.
4. 최대로 올려도 부족하면 [자세히]를 눌러 녹음 입력의 증폭(부스트)을 켜십시오. 증폭을 켜면 잡음도 함께 커집니다.</translation></message>
    <message><source>Recording volume :</source><translation>녹음 볼륨 :</translation></message>
    <message><source>Detail</source><translation>자세히</translation></message>
</context>
</TS>
