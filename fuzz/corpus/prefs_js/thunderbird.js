// Mozilla User Preferences

user_pref("mail.identity.id1.useremail", "zhang@example.cn");
user_pref("mail.identity.id1.fullName", "\u5F20\u4F1F");
user_pref("mail.identity.id1.signing_cert_name", "zhang \"sign\"");
user_pref("mail.identity.id1.encryption_cert_name", "zhang enc");
user_pref("mail.identity.id1.sign_mail", true);
user_pref("mail.smtpserver.smtp1.port", 465);
/* block */ pref("x", -1);
