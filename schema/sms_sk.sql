-- The SMS database: customer accounts, charges, sender numbers, and the tables the SMS/MMS
-- gateway writes (the program only reads those).
--
-- euckr as on the production server. In MariaDB it is the Korean code page 949 (a syllable
-- such as 똠 outside the basic KS X 1001 set is stored too), and VARCHAR(n) counts characters,
-- so the byte limits of the input fields (a Hangul syllable counting 2) always fit.
--
-- Times written by the gateway and by charges are 14-digit local times yyyymmddHHMMSS kept as
-- text, so that comparing the text orders them in time; every report works on that text.

CREATE DATABASE IF NOT EXISTS sms_sk CHARACTER SET euckr COLLATE euckr_korean_ci;
USE sms_sk;

-- One row per customer account.
-- userid is deliberately not UNIQUE: the program checks for duplicates itself, and a staff
-- member may confirm registering the same ID again.
CREATE TABLE IF NOT EXISTS smsuser (
  userseq INT NOT NULL AUTO_INCREMENT,
  userid VARCHAR(15) NOT NULL DEFAULT '',
  userpw VARCHAR(32) NOT NULL DEFAULT '',
  user_passwd CHAR(40) NOT NULL DEFAULT '',
  username VARCHAR(30) NOT NULL DEFAULT '',
  restcnt INT NOT NULL DEFAULT 0,
  iwolcnt INT NOT NULL DEFAULT 0 COMMENT 'balance carried over from the previous system',
  regdate DATE NULL DEFAULT NULL,
  bigo VARCHAR(200) NOT NULL DEFAULT '',
  -- typed freely with or without dashes; the dialog sets no limit
  hpno VARCHAR(30) NOT NULL DEFAULT '',
  reguser VARCHAR(20) NOT NULL DEFAULT '',
  update_user VARCHAR(20) NOT NULL DEFAULT '',
  -- never written by the program: empty until the row is first changed, then the server keeps it
  update_dttm DATETIME NULL DEFAULT NULL ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (userseq),
  KEY idx_smsuser_userid (userid)
) ENGINE=InnoDB;

-- One row per charge. regtype: 0 charge, 1 compensation, anything else other.
CREATE TABLE IF NOT EXISTS smsfill (
  code INT NOT NULL AUTO_INCREMENT,
  reguser VARCHAR(20) NOT NULL DEFAULT '',
  userid VARCHAR(15) NOT NULL DEFAULT '',
  regtime CHAR(14) NOT NULL DEFAULT '',
  regtype INT NOT NULL DEFAULT 0,
  casecnt INT NOT NULL DEFAULT 0,
  casemoney INT NOT NULL DEFAULT 0,
  bigo VARCHAR(100) NOT NULL DEFAULT '',
  PRIMARY KEY (code),
  -- the ledger and the per-customer summary
  KEY idx_smsfill_user_time (userid, regtime),
  -- the charge list over all customers
  KEY idx_smsfill_time (regtime)
) ENGINE=InnoDB;

-- Sender numbers a customer may send from (digits only).
CREATE TABLE IF NOT EXISTS certified_telno (
  code INT NOT NULL AUTO_INCREMENT,
  userid VARCHAR(15) NOT NULL DEFAULT '',
  telno VARCHAR(20) NOT NULL DEFAULT '',
  created_dttm DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
  creator_name VARCHAR(30) NOT NULL DEFAULT '',
  bigo VARCHAR(100) NOT NULL DEFAULT '',
  PRIMARY KEY (code),
  -- covers the customer search's MIN(telno)/COUNT(telno) per customer
  KEY idx_certified_telno_user (userid, telno)
) ENGINE=InnoDB;

-- Archive of deleted sender numbers; rows are only ever added. code is the code the number had,
-- not a key: the archive must never refuse a row.
CREATE TABLE IF NOT EXISTS certified_telno_del (
  code INT NOT NULL DEFAULT 0,
  userid VARCHAR(15) NOT NULL DEFAULT '',
  telno VARCHAR(20) NOT NULL DEFAULT '',
  created_dttm DATETIME NULL DEFAULT NULL,
  creator_name VARCHAR(30) NOT NULL DEFAULT '',
  bigo VARCHAR(100) NOT NULL DEFAULT '',
  del_dttm DATETIME NULL DEFAULT NULL,
  del_name VARCHAR(30) NOT NULL DEFAULT '',
  KEY idx_certified_telno_del_user (userid),
  KEY idx_certified_telno_del_code (code)
) ENGINE=InnoDB;

-- Gateway: one row per SMS (1 unit). SND_PHN_ID is the customer's userid.
CREATE TABLE IF NOT EXISTS telink_sms (
  MSG_SEQ INT NOT NULL AUTO_INCREMENT,
  SND_PHN_ID VARCHAR(15) NOT NULL DEFAULT '',
  RCV_PHN_ID VARCHAR(20) NOT NULL DEFAULT '',
  CALLBACK VARCHAR(20) NOT NULL DEFAULT '',
  SND_MSG VARCHAR(80) NOT NULL DEFAULT '',
  WRT_DTTM CHAR(14) NOT NULL DEFAULT '',
  SND_DTTM CHAR(14) NULL DEFAULT NULL,
  -- NULL while no report has come back
  RSLT_VAL INT NULL DEFAULT NULL,
  PRIMARY KEY (MSG_SEQ),
  -- ledger per customer and period; RSLT_VAL makes it covering for the usage summary
  KEY idx_telink_sms_user_time (SND_PHN_ID, WRT_DTTM, RSLT_VAL),
  -- the usage summary over all customers
  KEY idx_telink_sms_time (WRT_DTTM, RSLT_VAL)
) ENGINE=InnoDB;

-- Gateway: one row per MMS sent (3 units). ETC_CHAR_1 is the customer's userid.
CREATE TABLE IF NOT EXISTS tbl_msg_hist (
  MSG_SEQ INT NOT NULL AUTO_INCREMENT,
  DEST_PHONE VARCHAR(20) NOT NULL DEFAULT '',
  SEND_PHONE VARCHAR(20) NOT NULL DEFAULT '',
  SUBJECT VARCHAR(40) NOT NULL DEFAULT '',
  MSG_BODY VARCHAR(1000) NOT NULL DEFAULT '',
  RESERVED_DTTM CHAR(14) NOT NULL DEFAULT '',
  REPORT_DTTM CHAR(14) NULL DEFAULT NULL,
  RSLT_CODE INT NULL DEFAULT NULL,
  ETC_CHAR_1 VARCHAR(15) NOT NULL DEFAULT '',
  PRIMARY KEY (MSG_SEQ),
  KEY idx_tbl_msg_hist_user_time (ETC_CHAR_1, RESERVED_DTTM)
) ENGINE=InnoDB;

-- Gateway: MMS waiting to be sent (3 units each, counted whatever their reserved time).
CREATE TABLE IF NOT EXISTS tbl_submit_queue (
  MSG_SEQ INT NOT NULL AUTO_INCREMENT,
  DEST_PHONE VARCHAR(20) NOT NULL DEFAULT '',
  SEND_PHONE VARCHAR(20) NOT NULL DEFAULT '',
  SUBJECT VARCHAR(40) NOT NULL DEFAULT '',
  MSG_BODY VARCHAR(1000) NOT NULL DEFAULT '',
  RESERVED_DTTM CHAR(14) NOT NULL DEFAULT '',
  ETC_CHAR_1 VARCHAR(15) NOT NULL DEFAULT '',
  PRIMARY KEY (MSG_SEQ),
  KEY idx_tbl_submit_queue_user_time (ETC_CHAR_1, RESERVED_DTTM)
) ENGINE=InnoDB;
