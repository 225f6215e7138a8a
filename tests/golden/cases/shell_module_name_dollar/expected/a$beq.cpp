
/* Start of C file from 't.va' */ 

#line  1  "t.va" 

#define      V(x)       x    
#define      V2(x,y)   (x-y) 


/*  Start of Module a$b ( p,n ) */

#line  3  "t.va" 
/* Module : 'A$B'     Electrical : p n */

int
A$Bevaluate ( p, n) 
 double    p, n;
{ 
#line  3  "t.va" 
    _I(p,n) <== V2(p,n) ; 

} /* End of Module 'A$B' */





/* End of C file from 't.va' */ 
