-- Database accounts of the program. Safe to run again: it creates what is missing and puts the
-- passwords and privileges back to these values.
-- Privileges are granted on the databases by name, so they survive DROP DATABASE and apply as
-- soon as the databases are created again.

-- The SMS database account: the program reads and writes rows, nothing more.
CREATE USER IF NOT EXISTS 'sms_cvemp'@'localhost' IDENTIFIED BY 'kelpo362.5180';
CREATE USER IF NOT EXISTS 'sms_cvemp'@'127.0.0.1' IDENTIFIED BY 'kelpo362.5180';
CREATE USER IF NOT EXISTS 'sms_cvemp'@'::1' IDENTIFIED BY 'kelpo362.5180';
ALTER USER 'sms_cvemp'@'localhost' IDENTIFIED BY 'kelpo362.5180';
ALTER USER 'sms_cvemp'@'127.0.0.1' IDENTIFIED BY 'kelpo362.5180';
ALTER USER 'sms_cvemp'@'::1' IDENTIFIED BY 'kelpo362.5180';
GRANT SELECT, INSERT, UPDATE, DELETE ON `sms_sk`.* TO 'sms_cvemp'@'localhost';
GRANT SELECT, INSERT, UPDATE, DELETE ON `sms_sk`.* TO 'sms_cvemp'@'127.0.0.1';
GRANT SELECT, INSERT, UPDATE, DELETE ON `sms_sk`.* TO 'sms_cvemp'@'::1';

-- The staff database account: the login only reads.
CREATE USER IF NOT EXISTS 'cv_inhouse'@'localhost' IDENTIFIED BY 'vorn5830';
CREATE USER IF NOT EXISTS 'cv_inhouse'@'127.0.0.1' IDENTIFIED BY 'vorn5830';
CREATE USER IF NOT EXISTS 'cv_inhouse'@'::1' IDENTIFIED BY 'vorn5830';
ALTER USER 'cv_inhouse'@'localhost' IDENTIFIED BY 'vorn5830';
ALTER USER 'cv_inhouse'@'127.0.0.1' IDENTIFIED BY 'vorn5830';
ALTER USER 'cv_inhouse'@'::1' IDENTIFIED BY 'vorn5830';
GRANT SELECT ON `cv_inhouse`.* TO 'cv_inhouse'@'localhost';
GRANT SELECT ON `cv_inhouse`.* TO 'cv_inhouse'@'127.0.0.1';
GRANT SELECT ON `cv_inhouse`.* TO 'cv_inhouse'@'::1';
